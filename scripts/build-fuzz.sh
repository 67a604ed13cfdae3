#!/usr/bin/env bash
# Configures and builds the fuzz targets into ./build-fuzz (or $QUORVEL_FUZZ_BUILD) with clang,
# everything compiled with AddressSanitizer and UBSan; with --all also the program, its tools and
# its tests. With --check it only tells (exit status) whether this machine has clang with libFuzzer.
set -euo pipefail
cd "$(dirname "$0")/.."
has_libfuzzer() {
  command -v clang >/dev/null && command -v clang++ >/dev/null || return 1
  local probe
  probe=$(mktemp -d)
  trap 'rm -rf "$probe"' RETURN
  echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' >"$probe/probe.cpp"
  clang++ -fsanitize=fuzzer,address,undefined "$probe/probe.cpp" -o "$probe/probe" >/dev/null 2>&1
}
if [ "${1:-}" = "--check" ]; then
  has_libfuzzer
  exit
fi
if ! has_libfuzzer; then
  echo "build-fuzz: clang with libFuzzer is missing (Debian: clang and libclang-rt-<version>-dev)" >&2
  exit 1
fi
build=${QUORVEL_FUZZ_BUILD:-build-fuzz}
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEL_FUZZ=ON >/dev/null
targets=(--target fuzz)
if [ "${1:-}" = "--all" ]; then
  targets=()
fi
cmake --build "$build" -j "$(nproc)" "${targets[@]}"
