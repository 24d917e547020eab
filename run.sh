#!/usr/bin/env bash
# Builds the program and starts it on the embedded defaults: the shipped sample tables and the stand-in
# SQLite server, with a settings folder of its own under the build folder.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target corvalen
exec build/app/corvalen "$@"
