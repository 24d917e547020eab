#!/usr/bin/env bash
# Measures our send commands and the engine read beside the command-line tools a user would otherwise pick, on the
# same table in the same run, and prints our ratios:
#   read-foxpro     vs  pgdbf -m bench.fpt bench.dbf > /dev/null        (DBF and memo to text)
#   send-to-ase     vs  ogr2ogr -f SQLite out.db bench.dbf              (DBF to SQLite; GDAL reads no FoxPro memo)
#   send-to-foxpro  vs  ogr2ogr -f "ESRI Shapefile" out server.db bench (SQLite to a plain DBF, memo cut to 254)
# Usage: bench/compare-peers.sh [--rows N] [--build DIR] [--repeat K]
#   --rows N     table size (default 200000)
#   --build DIR  the build folder holding bench/corvalen-bench (default build-dev)
#   --repeat K   run everything K times and keep each measure's best (default 1)
# Installs pgdbf, gdal-bin and time when they are missing (apt-get, as root or with sudo).
set -euo pipefail
cd "$(dirname "$0")/.."

rows=200000
build=build-dev
repeat=1
while [ $# -gt 0 ]; do
    case "$1" in
    --rows) rows="$2"; shift 2 ;;
    --build) build="$2"; shift 2 ;;
    --repeat) repeat="$2"; shift 2 ;;
    *) sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//'; exit 2 ;;
    esac
done

bench="$build/bench/corvalen-bench"
if [ ! -x "$bench" ]; then
    echo "no $bench: build it first (cmake --preset dev && cmake --build --preset dev --target corvalen-bench)" >&2
    exit 2
fi

missing=()
for tool in pgdbf:pgdbf ogr2ogr:gdal-bin /usr/bin/time:time; do
    command -v "${tool%%:*}" >/dev/null 2>&1 || missing+=("${tool#*:}")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# keep_best <name> <rows/s> <cpu seconds>: keeps the highest figure seen for a measure, by the wall clock and by
# the CPU time the program used (which the other load of a shared machine changes far less).
declare -A best best_cpu
keep_best() {
    local per_cpu
    per_cpu="$(awk -v r="$rows" -v c="$3" 'BEGIN { printf "%.0f", (c > 0 ? r / c : 0) }')"
    if awk -v a="$2" -v b="${best[$1]:-0}" 'BEGIN { exit !(a > b) }'; then best[$1]="$2"; fi
    if awk -v a="$per_cpu" -v b="${best_cpu[$1]:-0}" 'BEGIN { exit !(a > b) }'; then best_cpu[$1]="$per_cpu"; fi
}

# peer <name> <command...>: runs a peer, prints its line in our format, keeps its best rows/s.
peer() {
    local name="$1"; shift
    local start end
    start="$(date +%s.%N)"
    /usr/bin/time -o "$work/time" -f '%U %S' "$@" >/dev/null 2>/dev/null
    end="$(date +%s.%N)"
    read -r user system <"$work/time"
    local seconds rate cpu
    seconds="$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')"
    rate="$(awk -v r="$rows" -v s="$seconds" 'BEGIN { printf "%.0f", (s > 0 ? r / s : 0) }')"
    cpu="$(awk -v u="$user" -v s="$system" 'BEGIN { printf "%.3f", u + s }')"
    echo "$name rows=$rows seconds=$seconds rows_per_s=$rate cpu_s=$cpu"
    keep_best "$name" "$rate" "$cpu"
}

for ((run = 1; run <= repeat; run++)); do
    echo "== run $run of $repeat ($rows rows)"
    while read -r line; do
        echo "$line"
        name="${line%% *}"
        rate="$(sed -n 's/.*rows_per_s=\([0-9]*\).*/\1/p' <<<"$line")"
        cpu="$(sed -n 's/.*cpu_s=\([0-9.]*\).*/\1/p' <<<"$line")"
        [ -n "$rate" ] && keep_best "$name" "$rate" "$cpu"
    done < <(QT_QPA_PLATFORM=offscreen "$bench" --rows "$rows" --keep "$work" 2>/dev/null)
    peer pgdbf pgdbf -m "$work/source/bench.fpt" "$work/source/bench.dbf"
    rm -f "$work/ogr.sqlite"
    peer ogr2ogr-dbf-to-sqlite ogr2ogr -f SQLite "$work/ogr.sqlite" "$work/source/bench.dbf"
    rm -rf "$work/ogr-dbf"
    peer ogr2ogr-sqlite-to-dbf ogr2ogr -f "ESRI Shapefile" "$work/ogr-dbf" "$work/server.db" bench
done

# ratio <ours> <peer> <goal>: our best over the peer's best, by the wall clock and per CPU second, and whether the
# wall-clock ratio reaches the goal.
ratio() {
    awk -v a="${best[$1]:-0}" -v b="${best[$2]:-0}" -v ac="${best_cpu[$1]:-0}" -v bc="${best_cpu[$2]:-0}" \
        -v g="$3" -v ours="$1" -v peer="$2" 'BEGIN {
        r = (b > 0 ? a / b : 0)
        rc = (bc > 0 ? ac / bc : 0)
        printf "%-15s %8d rows/s  %-22s %8d rows/s  ratio %.2f (per CPU second %.2f)  goal >= %.1f  %s\n",
               ours, a, peer, b, r, rc, g, (r >= g ? "met" : "NOT met")
    }'
}
echo "== best of $repeat, ours against the peers (rows per second of wall clock)"
ratio read-foxpro pgdbf 2.0
ratio send-to-ase ogr2ogr-dbf-to-sqlite 1.3
ratio send-to-foxpro ogr2ogr-sqlite-to-dbf 0.6
echo "== machine: $(nproc) CPUs, $(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -1), load $(cut -d' ' -f1-3 /proc/loadavg)"
