#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; where clang with libFuzzer is installed,
# also builds everything again with AddressSanitizer and UBSan (build-fuzz), runs every test there,
# and runs each fuzz target for a few seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
ctest --test-dir "${QUORVEL_BUILD:-build}" --output-on-failure -j "$(nproc)"
if bash scripts/build-fuzz.sh --check; then
  bash scripts/build-fuzz.sh --all
  ctest --test-dir "${QUORVEL_FUZZ_BUILD:-build-fuzz}" --output-on-failure -j "$(nproc)" -LE fuzz
  ctest --test-dir "${QUORVEL_FUZZ_BUILD:-build-fuzz}" --output-on-failure -L fuzz
else
  echo "test.sh: no clang with libFuzzer, fuzz targets skipped" >&2
fi
