#!/usr/bin/env bash
# Builds the program and starts it on the embedded defaults: the shipped sample tables and the stand-in
# SQLite server, with a settings folder of its own under the build folder, so the user's own settings are left
# alone. The first start fills that folder; later starts keep what was changed in the windows.
# Starting build/app/corvalen directly uses the user's own settings.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target corvalen

build="$(pwd)/build"
export XDG_CONFIG_HOME="$build/demo-config"
scripts/demo-settings.sh "$build/app/Samples" "$build/demo/server.db" "$XDG_CONFIG_HOME"
exec "$build/app/corvalen" "$@"
