#!/usr/bin/env bash
# Configures and builds into ./build (or $QUORVEL_BUILD): everything, or the targets named.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${QUORVEL_BUILD:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build "$build" -j "$(nproc)" "${targets[@]}"
