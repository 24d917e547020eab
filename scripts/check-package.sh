#!/usr/bin/env bash
# Checks the installation and the Debian package: builds the `package` preset, installs it into a temporary
# root and validates the desktop entry and the AppStream metainfo there, builds the .deb and has lintian check it
# (errors fail, warnings are printed), then unpacks the .deb and checks that its programs find their libraries,
# and that the command-line program lists the installed sample tables.
set -euo pipefail
cd "$(dirname "$0")/.."

for tool in desktop-file-validate appstreamcli lintian dpkg-deb dpkg-shlibdeps cpack; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "check-package: $tool is missing (scripts/install-deps.sh installs it)" >&2
        exit 1
    fi
done

id=io.github.corvalen.Corvalen
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() {
    echo "check-package: $*" >&2
    exit 1
}

echo "-- build and package"
deb="$(scripts/build-package.sh "$work/deb" | tail -n 1)"
[ -f "$deb" ] || fail "no package was made"

echo "-- cmake --install into a temporary root"
installed="$work/install"
DESTDIR="$installed" cmake --install build-package --prefix /usr >/dev/null
for file in usr/bin/corvalen usr/share/corvalen/HAND-M.CUR usr/share/corvalen/Samples/customers.dbf \
    usr/share/applications/$id.desktop usr/share/metainfo/$id.metainfo.xml \
    usr/share/icons/hicolor/scalable/apps/$id.svg usr/share/icons/hicolor/128x128/apps/$id.png \
    usr/share/man/man1/corvalen.1.gz usr/share/doc/corvalen/copyright; do
    [ -e "$installed/$file" ] || fail "/$file is not installed"
done
desktop-file-validate "$installed/usr/share/applications/$id.desktop"
appstreamcli validate --no-net "$installed/usr/share/metainfo/$id.metainfo.xml"

echo "-- lintian $(basename "$deb")"
# Errors fail the check; warnings and notes are shown.
status=0
findings="$(lintian --fail-on error --display-level ">=info" "$deb" 2>&1)" || status=$?
grep -v "running with root privileges" <<<"$findings" || true
[ "$status" -eq 0 ] || fail "lintian reports errors in $(basename "$deb")"

echo "-- the package's contents"
root="$work/root"
dpkg-deb -x "$deb" "$root"
dpkg-deb -f "$deb" Depends | grep -q tdsodbc || fail "the package does not depend on the ODBC drivers"
for program in "$root"/usr/bin/*; do
    if ldd "$program" | grep -q "not found"; then
        ldd "$program" >&2
        fail "$(basename "$program") is missing libraries"
    fi
done

cli="$root/usr/bin/corvalen-cli"
if [ -x "$cli" ]; then
    # The command-line program's settings point at the installed samples and a stand-in server of its own.
    export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
    scripts/demo-settings.sh "$root/usr/share/corvalen/Samples" "$work/server.db" "$XDG_CONFIG_HOME"
    listing="$("$cli" list 2>&1)" || fail "corvalen-cli list failed: $listing"
    echo "$listing"
    grep -qi customers <<<"$listing" || fail "corvalen-cli list does not show the sample table customers"
else
    echo "-- corvalen-cli is not in this tree: its check is left out"
fi

echo "-- package checks passed: $(basename "$deb")"
