#!/usr/bin/env bash
# Pictures of the two windows for the documentation: docs/form1.png (the connection window) and docs/form2.png
# (the tables window). The program runs under Xvfb with settings of its own and saves its window itself
# (--screenshot), so no window manager or screen grabber is involved.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${BUILD_DIR:-build}"
cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target corvalen
program="$(cd "$build/app" && pwd)"
work="$(mktemp -d)"
# The pictures show a path a reader would have, not this machine's build folder.
samples="${SCREENSHOT_SAMPLES:-/home/user/Samples}"
made_samples=""
if [ ! -e "$samples" ]; then
    mkdir -p "$samples"
    made_samples="$samples"
fi
cp -r "$program/Samples/." "$samples/"
cleanup() {
    rm -rf "$work"
    if [ -n "$made_samples" ]; then
        rm -rf "$made_samples"
        rmdir -p --ignore-fail-on-non-empty "$(dirname "$made_samples")" 2>/dev/null || true
    fi
}
trap cleanup EXIT

shoot() { # shoot <config folder> <picture>
    XDG_CONFIG_HOME="$1" xvfb-run -a -s "-screen 0 1024x768x24" "$program/corvalen" --screenshot "$2"
}

# The connection window: the sample folder and an ASE server that does not answer, so start-up stays there.
mkdir -p "$work/form1/Haddlemere"
cat >"$work/form1/Haddlemere/Haddlemere.ini" <<INI
[Corvalen]
ASEServer=127.0.0.1
ASEPort=5000
ASEUser=sa
ASEPassword=secret
ASEDatabase=pubs2
DBCFile=
FreeTableFolder="$samples"
FoxproOption=2
INI
shoot "$work/form1" docs/form1.png

# The tables window: the demonstration settings, with two tables already on the stand-in server.
scripts/demo-settings.sh "$samples" "$work/demo/server.db" "$work/form2"
python3 - "$work/demo/server.db" <<'PY'
import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
db.execute("CREATE TABLE invoices (number TEXT, amount TEXT)")
db.execute("CREATE TABLE suppliers (name TEXT, town TEXT)")
db.commit()
PY
shoot "$work/form2" docs/form2.png
echo "Wrote docs/form1.png and docs/form2.png"
