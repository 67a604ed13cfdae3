#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; where clang with libFuzzer is installed,
# also builds the fuzz targets (build-fuzz) and runs each of them for a few seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
ctest --test-dir "${QUORVEL_BUILD:-build}" --output-on-failure -j "$(nproc)"
if bash scripts/build-fuzz.sh --check; then
  bash scripts/build-fuzz.sh
  ctest --test-dir "${QUORVEL_FUZZ_BUILD:-build-fuzz}" --output-on-failure -L fuzz
else
  echo "test.sh: no clang with libFuzzer, fuzz targets skipped" >&2
fi
