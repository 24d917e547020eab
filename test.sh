#!/usr/bin/env bash
# Builds everything and runs every test: the normal build, then the address+undefined sanitizer build (leak
# checks on).
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

echo "== format check"
scripts/check-format.sh

echo "== build (release with tests)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
echo "== tests"
ctest --test-dir build --output-on-failure --no-tests=error -j "$jobs"

echo "== build (sanitizers)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCORVALEN_SANITIZE=ON >/dev/null
cmake --build build-asan -j "$jobs"
echo "== tests (sanitizers)"
UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure --no-tests=error -j "$jobs"
