#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need, when any is missing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev libgl-dev            # the windows
    unixodbc-dev unixodbc odbcinst    # ODBC driver manager
    tdsodbc                           # FreeTDS ODBC driver: Sybase ASE
    libsqliteodbc libsqlite3-dev      # SQLite ODBC driver: the embedded stand-in server
    libgtest-dev googletest           # tests
    python3 python3-dbf python3-dbfread pgdbf   # independent DBF readers the tests compare with
    xvfb xauth fonts-liberation       # screenshots and a metric-compatible Arial
    clang-format clang-tidy           # format check, static analysis
    ccache                            # compiler cache for the rebuilds
    clang libclang-rt-dev             # the libFuzzer build (libclang-rt-dev holds the fuzzer runtime)
    dpkg-dev file                     # the Debian package: dpkg-shlibdeps computes its library dependencies
    lintian desktop-file-utils appstream   # checks of the package, its desktop entry and its metainfo
    librsvg2-bin                      # rsvg-convert: the icon's pictures from its drawing
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
