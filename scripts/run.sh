#!/usr/bin/env bash
# Builds the program and starts it on the built-in simulated feed. Without a display it makes
# a snapshot of the default chart window instead, so the command shows something anywhere.
set -euo pipefail
cd "$(dirname "$0")/.."
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
chmod 700 "$XDG_RUNTIME_DIR"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "${JOBS:-2}" --target vela-monitor
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    out=out/snapshot
    echo "No display found: writing a snapshot of the default chart window into $out/ instead."
    mkdir -p "$out"
    exec ./build/vela-monitor --snapshot "$out" "$@"
fi
exec ./build/vela-monitor "$@"
