#!/usr/bin/env bash
# Builds everything and runs every test, through the presets of CMakePresets.json: the format and layer checks,
# the developer build (build-dev, warnings are errors) and its tests, the installation and the Debian package
# (build-package, scripts/check-package.sh), the address+undefined sanitizer build
# (build-asan, leak checks on) of the test programs and their tests, then the libFuzzer program with clang
# (build-fuzz).
# CORVALEN_REQUIRE_FIXTURES=1 in the environment turns the tests that skip without the reference fixtures into
# failures (CI sets it).
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh

export QT_QPA_PLATFORM=offscreen
# ccache (when installed) finds its results again from any checkout of the same sources.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1

echo "== format check"
scripts/check-format.sh

echo "== layer check"
scripts/check-layers.sh

echo "== build (developer preset)"
cmake --preset dev >/dev/null
cmake --build --preset dev

# clang-tidy over the developer build's compile commands, once the script is part of the tree.
if [ -x scripts/check-tidy.sh ]; then
    echo "== clang-tidy"
    scripts/check-tidy.sh
fi

echo "== tests"
ctest --preset dev

echo "== installation and Debian package (package preset)"
scripts/check-package.sh

echo "== build (sanitizers: the test programs)"
cmake --preset asan >/dev/null
cmake --build --preset asan --target corvalen_test_programs
echo "== tests (sanitizers)"
ctest --preset asan

if command -v clang++ >/dev/null 2>&1; then
    echo "== build (libFuzzer, clang)"
    cmake --preset fuzz >/dev/null
    cmake --build --preset fuzz
else
    echo "== clang++ not found: the libFuzzer build is left out"
fi

echo "== all checks passed"
