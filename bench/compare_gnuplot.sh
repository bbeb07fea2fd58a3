#!/usr/bin/env bash
# Times gnuplot and vela-monitor drawing the same 1,000,000 one-minute bars as a close line
# into a 1200 x 700 PNG, end to end (reading the CSV file included), and prints the medians
# and their ratio, with each program's minor page faults and peak memory beside its time
# (page faults cost far more on some machines than on others; their number does not change).
# vela-monitor should take at most 0.4 of gnuplot's time.
#
#   bench/compare_gnuplot.sh [path/to/vela-monitor]
#
# Environment: RUNS (default 5), BARS (default 1000000), BUILD (default build), PAUSE
# (seconds before each run, default 0). On a virtual machine that hands free memory back to
# its host, runs close together reuse memory the host still backs, and a pause of a few
# seconds measures the colder memory a program started on its own gets.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${RUNS:-5}
pause=${PAUSE:-0}
bars=${BARS:-1000000}
program=${1:-${BUILD:-build}/vela-monitor}
symbol=BENCH

if [ ! -x "$program" ]; then
    echo "vela-monitor not found at $program: build it first" >&2
    exit 1
fi
wanted=()
command -v gnuplot >/dev/null 2>&1 || wanted+=(gnuplot-nox)
[ -x /usr/bin/time ] || wanted+=(time)
if ((${#wanted[@]})); then
    echo "Installing ${wanted[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get -o DPkg::Lock::Timeout=600 update -q
    $sudo apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends "${wanted[@]}"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/data"
csv=$work/data/$symbol.csv

# Weekday sessions of 390 one-minute bars from 09:30, a multiplicative random walk.
awk -v n="$bars" 'BEGIN {
    srand(42)
    print "Date,Time,Open,High,Low,Close,Volume"
    split("31 28 31 30 31 30 31 31 30 31 30 31", days, " ")
    y = 2010; m = 1; d = 4; wd = 1    # Monday, 4 January 2010
    p = 1000; k = 0
    while (k < n) {
        if (wd <= 5) {
            for (b = 0; b < 390 && k < n; b++) {
                t = 570 + b
                o = p
                p = p * (1 + (rand() - 0.5) * 0.002)
                hi = (o > p ? o : p) * (1 + rand() * 0.0005)
                lo = (o < p ? o : p) * (1 - rand() * 0.0005)
                printf "%04d-%02d-%02d,%02d:%02d,%.2f,%.2f,%.2f,%.2f,%d\n",
                       y, m, d, int(t / 60), t % 60, o, hi, lo, p, int(rand() * 1000)
                k++
            }
        }
        d++; wd = wd % 7 + 1
        leap = (y % 4 == 0 && (y % 100 != 0 || y % 400 == 0))
        if (d > days[m] + (m == 2 && leap)) { d = 1; m++; if (m > 12) { m = 1; y++ } }
    }
}' > "$csv"
echo "CSV: $(($(wc -l < "$csv") - 1)) bars, $(du -h "$csv" | cut -f1)"

cat > "$work/plot.gp" <<GP
set terminal png size 1200,700
set output "$work/gnuplot.png"
set datafile separator ","
set key off
plot "$csv" every ::1 using 0:6 with lines
GP

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$work/runtime}
mkdir -p "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

# One run of a command: its minor page faults and peak memory (KB) land in $work/usage.
usage() { /usr/bin/time -o "$work/usage" -f '%R %M' "$@"; }

gnuplot_times=()
gnuplot_faults=()
gnuplot_peaks=()
vela_times=()
vela_faults=()
vela_peaks=()
for ((r = 1; r <= runs; r++)); do
    rm -f "$work/gnuplot.png"
    sleep "$pause"
    start=$(now)
    usage gnuplot "$work/plot.gp"
    end=$(now)
    [ -s "$work/gnuplot.png" ] || { echo "gnuplot wrote no PNG" >&2; exit 1; }
    gnuplot_times+=("$(elapsed "$start" "$end")")
    read -r f m < "$work/usage"
    gnuplot_faults+=("$f")
    gnuplot_peaks+=("$m")

    rm -rf "$work/out"
    sleep "$pause"
    start=$(now)
    usage "$program" --feed "csv:$work/data" --snapshot "$work/out" --size 1200x700 \
        --bars "$bars" --symbol "$symbol" > "$work/vela.log" 2>&1 ||
        { echo "vela-monitor failed:" >&2; cat "$work/vela.log" >&2; exit 1; }
    end=$(now)
    ls "$work/out"/chart-*.png >/dev/null 2>&1 ||
        { echo "vela-monitor wrote no chart PNG" >&2; cat "$work/vela.log" >&2; exit 1; }
    vela_times+=("$(elapsed "$start" "$end")")
    read -r f m < "$work/usage"
    vela_faults+=("$f")
    vela_peaks+=("$m")
    echo "run $r: gnuplot ${gnuplot_times[-1]} s ${gnuplot_faults[-1]} faults" \
        "$((gnuplot_peaks[-1] / 1024)) MB, vela-monitor ${vela_times[-1]} s" \
        "${vela_faults[-1]} faults $((vela_peaks[-1] / 1024)) MB"
done

g=$(printf '%s\n' "${gnuplot_times[@]}" | median)
v=$(printf '%s\n' "${vela_times[@]}" | median)
gf=$(printf '%s\n' "${gnuplot_faults[@]}" | median)
vf=$(printf '%s\n' "${vela_faults[@]}" | median)
gm=$(printf '%s\n' "${gnuplot_peaks[@]}" | median)
vm=$(printf '%s\n' "${vela_peaks[@]}" | median)
ratio=$(awk -v v="$v" -v g="$g" 'BEGIN { printf "%.3f", v / g }')
printf 'median of %d runs: gnuplot %.3f s, %.0f minor faults, %.0f MB peak\n' \
    "$runs" "$g" "$gf" "$(awk -v k="$gm" 'BEGIN { print k / 1024 }')"
printf '                  vela-monitor %.3f s, %.0f minor faults, %.0f MB peak\n' \
    "$v" "$vf" "$(awk -v k="$vm" 'BEGIN { print k / 1024 }')"
echo "ratio vela-monitor / gnuplot: $ratio (target at most 0.4)"
