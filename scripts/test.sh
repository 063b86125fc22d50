#!/usr/bin/env bash
# Installs what is needed, builds both presets and runs the whole suite:
# the default build, then everything again under AddressSanitizer + UBSan,
# then the Debian package and its lintian check, then the bounded fuzz runs.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
scripts/setup.sh

for preset in default asan; do
  echo "== $preset: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  echo "== $preset: tests"
  ctest --preset "$preset"
done

# The Debian package of the default build, checked with lintian.
scripts/package.sh build/default

# Fuzz targets (built by the asan preset with clang) run for a bounded time each.
if [ -x scripts/fuzz.sh ]; then
  scripts/fuzz.sh build/asan
fi
echo "== all tests passed"
