#!/usr/bin/env bash
# Runs clang-tidy with the checks of .clang-tidy over every .cpp of db/, frame/ and commands/ (their headers come
# along through HeaderFilterRegex) and fails on any finding, printing them.
#
#   scripts/check-tidy.sh [BUILD_DIR]
#
# BUILD_DIR is a configured tree with a compile_commands.json. Without it the script configures a light tree of its
# own in build-tidy (configure only: nothing is compiled, and the widget folders are left out).
# A source that passed before is not checked again while its preprocessed text (comments kept, so NOLINT counts),
# its compile command, .clang-tidy and the clang-tidy version are all unchanged; the record of passes lives in
# BUILD_DIR/tidy-passed. CORVALEN_TIDY_JOBS sets the parallel runs (2 by default), CORVALEN_TIDY_NO_CACHE=1 checks
# everything again.
#
# Exit status: 0 when clean, 1 on findings, 2 when the check could not run.
set -euo pipefail
start=$PWD
self=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")
cd "$(dirname "$self")/.."
root=$PWD

# Worker mode, run in parallel by xargs: checks one source and records a pass under its key.
if [ "${1:-}" = "--one" ]; then
    tidy=$2 build=$3 out=$4 key=$5 file=$6
    log="$out/$(printf '%s' "$file" | tr '/' '_').log"
    if "$tidy" -p "$build" -quiet "$root/$file" >"$log" 2>&1 && ! grep -q -E '(warning|error):' "$log"; then
        rm -f "$log"
        if [ -n "$key" ]; then
            mkdir -p "$build/tidy-passed" && : >"$build/tidy-passed/$key"
        fi
    fi
    exit 0
fi

tidy=""
for candidate in clang-tidy-14 clang-tidy; do
    if command -v "$candidate" >/dev/null; then
        tidy=$(command -v "$candidate")
        break
    fi
done
if [ -z "$tidy" ]; then
    echo "check-tidy: clang-tidy is not installed" >&2
    exit 2
fi

if [ $# -ge 1 ]; then
    build=$(cd "$start" && cd "$1" && pwd)
else
    build=$root/build-tidy
    generator=()
    [ -f "$build/CMakeCache.txt" ] || ! command -v ninja >/dev/null || generator=(-G Ninja)
    if ! log=$(cmake -S . -B "$build" "${generator[@]}" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
        -DCORVALEN_BUILD_TESTS=OFF "-DCORVALEN_SKIP=ui;app;tools;bench;fuzz" 2>&1); then
        printf '%s\n' "$log" >&2
        echo "check-tidy: configuring $build failed" >&2
        exit 2
    fi
fi
if [ ! -f "$build/compile_commands.json" ]; then
    echo "check-tidy: no compile_commands.json in $build" >&2
    exit 2
fi

mapfile -t files < <(find db frame commands -name '*.cpp' | LC_ALL=C sort)
jobs=${CORVALEN_TIDY_JOBS:-2}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# "file key" a line. The key is empty when there is no python3 or caching is off, and then every file is checked.
plan=$out/plan
if [ "${CORVALEN_TIDY_NO_CACHE:-0}" != 1 ] && command -v python3 >/dev/null; then
    if ! python3 - "$build" "$tidy" "$jobs" "${files[@]}" >"$plan" <<'EOF'; then
import hashlib, json, os, shlex, subprocess, sys
from concurrent.futures import ThreadPoolExecutor

build, tidy, jobs, files = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4:]
root = os.getcwd()
with open(os.path.join(build, "compile_commands.json")) as f:
    entries = {os.path.realpath(os.path.join(e["directory"], e["file"])): e for e in json.load(f)}
common = hashlib.sha256()
common.update(subprocess.run([tidy, "--version"], capture_output=True, check=True).stdout)
with open(os.path.join(root, ".clang-tidy"), "rb") as f:
    common.update(b"".join(line for line in f if not line.lstrip().startswith(b"#")))  # comments change nothing

def key(name):
    entry = entries.get(os.path.realpath(os.path.join(root, name)))
    if entry is None:
        return name, None
    args = entry["arguments"] if "arguments" in entry else shlex.split(entry["command"])
    pre, skip = [], False
    for a in args:  # the compile command turned into a preprocessing one that keeps comments
        if skip:
            skip = False
        elif a in ("-o", "-MF", "-MT", "-MQ"):
            skip = True
        elif a != "-c" and not a.startswith(("-M", "-o")):
            pre.append(a)
    h = common.copy()
    h.update("\0".join(args).encode())
    run = subprocess.run(pre + ["-E", "-C"], cwd=entry["directory"], capture_output=True)
    if run.returncode != 0:
        return name, ""  # cannot preprocess: check it anyway, clang-tidy reports what is wrong
    h.update(run.stdout)
    return name, h.hexdigest()

missing = False
with ThreadPoolExecutor(max_workers=jobs) as pool:
    for name, k in pool.map(key, files):
        if k is None:
            print(f"check-tidy: {name} is not in {build}/compile_commands.json (not built by any target)",
                  file=sys.stderr)
            missing = True
        print(name, k or "")
sys.exit(1 if missing else 0)
EOF
        exit 2
    fi
else
    printf '%s \n' "${files[@]}" >"$plan"
fi

todo=$out/todo
: >"$todo"
cached=0
while read -r file key; do
    if [ -n "$key" ] && [ -e "$build/tidy-passed/$key" ]; then
        cached=$((cached + 1))
    else
        printf '%s\0%s\0' "$key" "$file" >>"$todo"
    fi
done <"$plan"
checked=$(($(tr -cd '\0' <"$todo" | wc -c) / 2))

echo "clang-tidy: checking $checked of ${#files[@]} files ($cached unchanged since they passed), $jobs at a time"
xargs -0 -r -n 2 -P "$jobs" "$self" --one "$tidy" "$build" "$out" <"$todo"

shopt -s nullglob
logs=("$out"/*.log)
if [ ${#logs[@]} -gt 0 ]; then
    cat "${logs[@]}"
    echo "check-tidy: findings in ${#logs[@]} file(s)" >&2
    exit 1
fi
echo "clang-tidy: clean"
