#!/usr/bin/env bash
# Holds the line between the layers: a file may include headers of its own layer and of the layers below it, and
# no layer below ui/ includes Qt (the settings store and the program's folder excepted, through QtCore).
#   app/ > ui/, cli/ > commands/ > frame/ > db/      db/vfp/ and db/odbc/ never include each other.
# ui/ (the windows) and cli/ (the command line) stand side by side: neither includes the other, and cli/ includes
# no Qt at all.
# Usage: scripts/check-layers.sh [source root]   (exit 1 and one line per finding when the line is crossed)
set -euo pipefail
root="${1:-$(cd "$(dirname "$0")/.." && pwd)}"
cd "$root"

rank() {
    case "$1" in
        db) echo 0 ;; frame) echo 1 ;; commands) echo 2 ;; ui | cli) echo 3 ;; app) echo 4 ;; *) echo "" ;;
    esac
}

qt_allowed() { # files below ui/ that may use QtCore
    case "$1" in frame/SettingsStore.* | frame/ProgramFiles.*) return 0 ;; *) return 1 ;; esac
}

findings=0
report() {
    echo "$1"
    findings=$((findings + 1))
}

while IFS= read -r file; do
    layer="${file%%/*}"
    own=$(rank "$layer")
    [ -n "$own" ] || continue
    while IFS= read -r line; do
        num="${line%%:*}"
        header="${line#*:}"
        if [[ "$header" =~ ^#[[:space:]]*include[[:space:]]*\"([^\"]+)\" ]]; then
            target="${BASH_REMATCH[1]}"
            tlayer="${target%%/*}"
            trank=$(rank "$tlayer")
            if [ -n "$trank" ] && [ "$trank" -gt "$own" ]; then
                report "$file:$num: $layer/ includes $target from the layer above ($tlayer/)"
            fi
            if [[ "$layer" == ui && "$tlayer" == cli ]] || [[ "$layer" == cli && "$tlayer" == ui ]]; then
                report "$file:$num: $layer/ includes $target from the layer beside it ($tlayer/)"
            fi
            if [[ "$file" == db/vfp/* && "$target" == db/odbc/* ]] || [[ "$file" == db/odbc/* && "$target" == db/vfp/* ]]; then
                report "$file:$num: the two providers include each other ($target)"
            fi
        elif [[ "$header" =~ ^#[[:space:]]*include[[:space:]]*\<(Qt[A-Za-z]*/)?(Q[A-Za-z]*)\> ]]; then
            module="${BASH_REMATCH[1]}"
            if [ "$own" -lt 3 ] && ! { qt_allowed "$file" && [[ -z "$module" || "$module" == QtCore/ ]]; }; then
                report "$file:$num: Qt header <${module}${BASH_REMATCH[2]}> below ui/"
            fi
            if [ "$layer" == cli ]; then
                report "$file:$num: Qt header <${module}${BASH_REMATCH[2]}> in cli/"
            fi
        fi
    done < <(grep -n '^[[:space:]]*#[[:space:]]*include' "$file" | sed 's/^\([0-9]*\):[[:space:]]*/\1:/')
done < <(find db frame commands ui cli app -type f \( -name '*.cpp' -o -name '*.h' \) 2>/dev/null | sort)

if [ "$findings" -gt 0 ]; then
    echo "check-layers: $findings include(s) cross the layers" >&2
    exit 1
fi
echo "check-layers: every include stays within its layer or below"
