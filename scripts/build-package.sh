#!/usr/bin/env bash
# build-package.sh [output folder]: builds the Debian package corvalen_<version>-1_<arch>.deb from the `package`
# preset (a hardened release build in build-package/, without tests) and prints its path. The package goes into
# build-package/ unless another folder is given.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
# ccache (when installed) finds its results again from any checkout of the same sources.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1

out="$(realpath -m "${1:-build-package}")"
cmake --preset package >/dev/null
cmake --build --preset package
mkdir -p "$out"
if ! cpack --config build-package/CPackConfig.cmake -G DEB -B "$out" >"$out/cpack.log" 2>&1; then
    cat "$out/cpack.log" >&2
    exit 1
fi
sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p' "$out/cpack.log"
