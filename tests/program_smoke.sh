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

timeout 120 "$program" --help | grep -q -- '--snapshot' || fail "--help does not describe --snapshot"

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
for bad in "--bogus" "--bars 0" "--feed nowhere --snapshot $out/x" "--feed csv:$out/missing --snapshot $out/x"; do
    # shellcheck disable=SC2086
    if env -u DISPLAY timeout 120 "$program" $bad > "$out/log" 2>&1; then fail "\"$bad\" succeeded"; fi
    grep -q 'vela-monitor:' "$out/log" || fail "\"$bad\" gave no message"
done
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 120 "$program" > "$out/log" 2>&1 && fail "no display but exit 0"
grep -q 'no display' "$out/log" || fail "no display but no message"
echo "program smoke test: 10 passed, 0 failed"
