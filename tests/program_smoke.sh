#!/usr/bin/env bash
# The program end to end, without a display: a snapshot of the default chart window, the
# help text, and clear failures for bad options and feeds.
set -euo pipefail
program=${1:-build/vela-monitor}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "program smoke test failed: $*" >&2; exit 1; }

env -u DISPLAY -u WAYLAND_DISPLAY timeout 120 "$program" --snapshot "$out/snap" > "$out/log" 2>&1 ||
    fail "snapshot exited non-zero: $(cat "$out/log")"
[ -s "$out/snap/chart-1.png" ] || fail "no chart PNG"
[ "$(wc -l < "$out/snap/chart-1.txt")" -eq 100 ] || fail "the table does not have 100 lines"
grep -q 'chart-1.png' "$out/log" || fail "no line for the window"
# The same snapshot twice gives the same table and the same picture.
env -u DISPLAY -u WAYLAND_DISPLAY timeout 120 "$program" --snapshot "$out/again" > /dev/null 2>&1
cmp -s "$out/snap/chart-1.txt" "$out/again/chart-1.txt" || fail "tables differ between runs"
cmp -s "$out/snap/chart-1.png" "$out/again/chart-1.png" || fail "pictures differ between runs"

# A desktop of three windows: each written in creation order, the same on every run.
printf '[W_0]\r\nEdit1=IBM\r\nComboBox1=5\r\nSpinEdit1=80\r\nSpinEdit2=1\r\nCheckBox2=1\r\n\r\n[FORM_0]\r\nW=400\r\nH=300\r\nL=0\r\nT=0\r\n\r\n[W_1]\r\nEdit1=$INDU\r\nComboBox1=9\r\nSpinEdit1=60\r\n\r\n[W_2]\r\nEdit1=MSFT\r\nComboBox1=99\r\n\r\n[OPTIONS]\r\nCOUNT=3\r\n' > "$out/three.dsc_1"
for run in d1 d2; do
    env -u DISPLAY -u WAYLAND_DISPLAY timeout 120 "$program" --snapshot "$out/$run" --desktop "$out/three.dsc_1" \
        > "$out/log" 2>&1 || fail "desktop snapshot exited non-zero: $(cat "$out/log")"
done
[ "$(wc -l < "$out/d1/chart-1.txt")" -eq 80 ] || fail "the desktop's first window does not have 80 bars"
[ "$(wc -l < "$out/d1/chart-2.txt")" -eq 60 ] || fail "the desktop's second window does not have 60 bars"
grep -q 'chart-3.png  .*MSFT  1 min' "$out/log" || fail "the third window is not MSFT in 1 min: $(cat "$out/log")"
for n in 1 2 3; do
    cmp -s "$out/d1/chart-$n.txt" "$out/d2/chart-$n.txt" || fail "desktop tables differ between runs"
    cmp -s "$out/d1/chart-$n.png" "$out/d2/chart-$n.png" || fail "desktop pictures differ between runs"
done
# Windows of a desktop see the market at one instant, however long the earlier ones took: the
# second window's 5 s bars, asked for seconds after the first window's, are those of a
# snapshot of that window alone.
printf '[W_0]\r\nEdit1=IBM\r\nComboBox1=5\r\n\r\n[W_1]\r\nEdit1=MSFT\r\nComboBox1=0\r\n\r\n[OPTIONS]\r\nCOUNT=2\r\n' > "$out/slow.dsc_1"
env -u DISPLAY timeout 120 "$program" --feed sim,delay=2500 --snapshot "$out/slow" \
    --desktop "$out/slow.dsc_1" > "$out/log" 2>&1 || fail "slow desktop snapshot failed: $(cat "$out/log")"
env -u DISPLAY timeout 120 "$program" --feed sim,delay=2500 --snapshot "$out/alone" --symbol MSFT \
    --interval 5s > "$out/log" 2>&1 || fail "a snapshot of MSFT in 5 s failed: $(cat "$out/log")"
cmp -s "$out/slow/chart-2.txt" "$out/alone/chart-1.txt" ||
    fail "a later window of a desktop saw the market move on: $(diff "$out/slow/chart-2.txt" "$out/alone/chart-1.txt" | head -4)"
# A FIFO given as the desktop is refused without being opened (opening it would wait).
mkfifo "$out/fifo.dsc_1"
status=0
env -u DISPLAY timeout 20 "$program" --snapshot "$out/x" --desktop "$out/fifo.dsc_1" > "$out/log" 2>&1 ||
    status=$?
[ "$status" -eq 2 ] || fail "a FIFO desktop exited $status, not 2: $(cat "$out/log")"
# A snapshot folder that cannot be made says why.
printf 'x' > "$out/plainfile"
if env -u DISPLAY timeout 20 "$program" --snapshot "$out/plainfile/sub" > "$out/log" 2>&1; then
    fail "a snapshot under a plain file succeeded"
fi
grep -q 'cannot create the snapshot folder .*: ' "$out/log" || fail "no reason for the folder: $(cat "$out/log")"
mkdir -p "$out/folder.dsc_1"
for desk in "$out/missing.dsc_1" "$out/folder.dsc_1"; do
    if env -u DISPLAY timeout 120 "$program" --snapshot "$out/x" --desktop "$desk" > "$out/log" 2>&1; then
        fail "desktop \"$desk\" succeeded"
    fi
    grep -q 'vela-monitor: cannot read the desktop' "$out/log" || fail "no word on desktop \"$desk\": $(cat "$out/log")"
done

# Read whole: grep -q would stop at the first match and cut the program off mid-write.
timeout 120 "$program" --help > "$out/help" || fail "--help exited non-zero"
grep -q -- '--snapshot' "$out/help" || fail "--help does not describe --snapshot"

# A window without bars is still written, and the run says which and why and exits 3.
mkdir -p "$out/csv"
printf 'Date,Close\n2024-03-04,1\n2024-03-05,2\n' > "$out/csv/SPX.csv"
status=0
env -u DISPLAY timeout 120 "$program" --feed "csv:$out/csv" --snapshot "$out/none" --symbol NOPE \
    > "$out/log" 2>&1 || status=$?
[ "$status" -eq 3 ] || fail "a window without bars exited $status, not 3: $(cat "$out/log")"
grep -q 'chart-1 (NOPE  1 min) got no bars: no file .*NOPE.csv' "$out/log" ||
    fail "no word on the window without bars: $(cat "$out/log")"
[ -s "$out/none/chart-1.png" ] || fail "the window without bars was not written"
env -u DISPLAY timeout 120 "$program" --feed "csv:$out/csv" --snapshot "$out/daily" --symbol SPX \
    --interval "1 day" > "$out/log" 2>&1 || fail "a daily file gave no daily bars: $(cat "$out/log")"
# A view of the newest 100 of 3000 bars is the chart of 100 bars.
env -u DISPLAY timeout 120 "$program" --snapshot "$out/view" --bars 3000 --view 100 > /dev/null 2>&1 ||
    fail "a snapshot with a view exited non-zero"
cmp -s "$out/view/chart-1.png" "$out/snap/chart-1.png" || fail "the view of 100 bars differs from 100 bars"
# A streaming snapshot writes its files after streaming; a window of another feed, named by
# its symbol, says why it got nothing (a Binance stand-in address nobody listens on).
env -u DISPLAY timeout 120 "$program" --snapshot "$out/streamed" --stream 2 > "$out/log" 2>&1 ||
    fail "a streaming snapshot exited non-zero: $(cat "$out/log")"
[ "$(wc -l < "$out/streamed/chart-1.txt")" -ge 100 ] || fail "the streamed table lost bars"
# Alerts around the price fire while the snapshot streams: each printed in the memo's words,
# the same lines in alerts.txt, and the command run with the alert's fields.
levels=$(awk 'BEGIN { for (i = 0; i < 50; ++i) printf "%s%.2f", (i ? "," : ""), 219.9 + i / 100 }')
printf '#!/bin/sh\nprintf "%%s|" "$@" >> "%s"\necho >> "%s"\n' "$out/args.txt" "$out/args.txt" > "$out/args.sh"
chmod +x "$out/args.sh"
env -u DISPLAY timeout 120 "$program" --snapshot "$out/alerts" --symbol BTCUSDT --stream 4 \
    --alert "$levels" --alert-command "$out/args.sh" > "$out/log" 2>&1 ||
    fail "a snapshot with alerts exited non-zero: $(cat "$out/log")"
grep '^ALERT ' "$out/log" > "$out/printed" || fail "no alert fired near the price: $(cat "$out/log")"
cmp -s "$out/printed" "$out/alerts/alerts.txt" || fail "alerts.txt is not what was printed"
grep -Evq '^ALERT BTCUSDT 1 min: [0-9.]+ reached from (below|above) at [0-9:]+ [AP]M \(last [0-9.]+\)$' \
    "$out/printed" && fail "an alert line is not in the memo's words: $(cat "$out/printed")"
[ "$(wc -l < "$out/args.txt")" -eq "$(wc -l < "$out/printed")" ] ||
    fail "the alert command did not run once per alert: $(cat "$out/args.txt")"
grep -Eq '^BTCUSDT\|1 min\|[0-9.]+\|from (below|above)\|[0-9:]+ [AP]M\|[0-9.]+\|$' "$out/args.txt" ||
    fail "the alert command got other arguments: $(cat "$out/args.txt")"
status=0
env -u DISPLAY timeout 120 "$program" --snapshot "$out/x" --alert 3830,abc > "$out/log" 2>&1 || status=$?
[ "$status" -eq 2 ] || fail "an alert level that is no number exited $status, not 2"
grep -q '"abc" is not a number' "$out/log" || fail "the bad level is not named: $(cat "$out/log")"
status=0
env -u DISPLAY timeout 120 "$program" --feed sim --feed binance,rest=http://127.0.0.1:1,ws=ws://127.0.0.1:1 \
    --snapshot "$out/nobinance" --symbol BINANCE:BTCUSDT > "$out/log" 2>&1 || status=$?
[ "$status" -eq 3 ] || fail "a Binance window without an exchange exited $status, not 3: $(cat "$out/log")"
grep -q 'binance BTCUSDT 1 min: no history from http://127.0.0.1:1' "$out/log" ||
    fail "no word on the missing exchange: $(cat "$out/log")"
for bad in "--bogus" "--bars 0" "--feed nowhere --snapshot $out/x" "--feed csv:$out/missing --snapshot $out/x" \
    "--feed binance,tz=mars --snapshot $out/x" "--feed sim:1 --feed sim:2 --snapshot $out/x"; do
    # shellcheck disable=SC2086
    if env -u DISPLAY timeout 120 "$program" $bad > "$out/log" 2>&1; then fail "\"$bad\" succeeded"; fi
    grep -q 'vela-monitor:' "$out/log" || fail "\"$bad\" gave no message"
done
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 120 "$program" > "$out/log" 2>&1 && fail "no display but exit 0"
grep -q 'no display' "$out/log" || fail "no display but no message"
echo "program smoke test: 21 passed, 0 failed"
