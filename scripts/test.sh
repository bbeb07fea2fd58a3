#!/usr/bin/env bash
# Builds and runs every test: a normal build, the same suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, the text tests under a comma-decimal locale, and the fuzzers
# for a bounded number of runs.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${JOBS:-2}
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
chmod 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

# A comma-decimal locale proves that number text never follows the user's locale.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    localedef -i de_DE -f UTF-8 de_DE.UTF-8 2>/dev/null ||
        sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8 || true
fi

echo "== Release build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
passed=0
# Runs ctest in a build folder and adds its count of tests to the total.
run_ctest() {
    local log
    log=$(mktemp)
    ctest --test-dir "$1" --output-on-failure -j "$jobs" | tee "$log"
    local n
    n=$(sed -n 's/.*tests passed, 0 tests failed out of \([0-9]*\).*/\1/p' "$log")
    rm -f "$log"
    passed=$((passed + ${n:-0}))
}
run_ctest build

echo "== The program end to end"
bash tests/program_smoke.sh build/vela-monitor

echo "== Locale de_DE.UTF-8"
LC_ALL=de_DE.UTF-8 ./build/vela_core_tests --gtest_brief=1

echo "== AddressSanitizer + UndefinedBehaviorSanitizer build"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELA_SANITIZE=ON \
    -DVELA_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1
run_ctest build-asan

if ls tests/fuzz/*.cpp >/dev/null 2>&1; then
    echo "== Fuzzers"
    CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DVELA_BUILD_APP=OFF -DVELA_BUILD_BENCH=OFF -DVELA_BUILD_TESTS=OFF -DVELA_BUILD_FUZZ=ON >/dev/null
    cmake --build build-fuzz -j "$jobs"
    for src in tests/fuzz/*.cpp; do
        name=$(basename "$src" .cpp)
        corpus=tests/fuzz/corpus/$name
        work=$(mktemp -d)
        [ -d "$corpus" ] && cp -r "$corpus"/. "$work"/
        ./build-fuzz/"$name" -runs=200000 -max_total_time=20 -max_len=65536 "$work"
        rm -rf "$work"
    done
fi
echo "All tests passed."
echo "tests: $passed passed, 0 failed"
