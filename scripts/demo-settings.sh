#!/usr/bin/env bash
# demo-settings.sh <samples folder> <stand-in server file> <config folder>
# Writes the settings of the demonstration once: the free-table option on the sample folder and the embedded
# stand-in server. An existing settings file is left as it is.
set -euo pipefail
samples="$1" server="$2" config="$3"
settings="$config/Haddlemere/Haddlemere.ini"
[ -f "$settings" ] && exit 0

mkdir -p "$(dirname "$settings")" "$(dirname "$server")"
# Values in double quotes, with backslashes and quotes escaped, as the settings file reads them.
quote() { local v="${1//\\/\\\\}"; printf '"%s"' "${v//\"/\\\"}"; }
umask 077
{
    echo "[Corvalen]"
    echo "ASEServer=$(quote "sqlite:$server")"
    echo "ASEPort=5000"
    echo "ASEUser="
    echo "ASEPassword="
    echo "ASEDatabase="
    echo "DBCFile="
    echo "FreeTableFolder=$(quote "$samples")"
    echo "FoxproOption=2"
} >"$settings"
