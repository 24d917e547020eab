#!/usr/bin/env bash
# The layer check passes on the tree as it is and fails on each kind of crossing planted in a copy of it.
set -euo pipefail
source_dir="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

copy() {
    rm -rf "$work/tree"
    mkdir -p "$work/tree"
    (cd "$source_dir" && cp -r db frame commands ui cli app scripts "$work/tree/")
}

expect_fail() { # description, file, line to add
    copy
    printf '%s\n' "$3" >>"$work/tree/$2"
    if "$work/tree/scripts/check-layers.sh" "$work/tree" >"$work/out" 2>&1; then
        echo "not caught: $1"
        exit 1
    fi
    grep -q "$2" "$work/out" || { echo "finding does not name $2 for: $1"; cat "$work/out"; exit 1; }
}

copy
"$work/tree/scripts/check-layers.sh" "$work/tree" >/dev/null || { echo "the tree as it is fails the check"; exit 1; }

expect_fail "db includes frame" db/Value.cpp '#include "frame/ErrorTrap.h"'
expect_fail "frame includes commands" frame/ErrorTrap.cpp '#include "commands/Commands.h"'
expect_fail "commands includes ui" commands/Yielder.cpp '#include "ui/Form2.h"'
expect_fail "ui includes app" ui/Form1.cpp '#include "app/Anything.h"'
expect_fail "engine includes the ODBC provider" db/vfp/VfpConnection.cpp '#include "db/odbc/OdbcCursor.h"'
expect_fail "widgets in commands" commands/SendToAse.cpp '#include <QListWidget>'
expect_fail "QtCore outside the settings store" frame/ErrorTrap.cpp '#include <QString>'
expect_fail "widgets in the settings store" frame/SettingsStore.cpp '#include <QtWidgets/QWidget>'
expect_fail "the command line includes the windows" cli/Runner.cpp '#include "ui/Form2.h"'
expect_fail "the windows include the command line" ui/Form2.cpp '#include "cli/Runner.h"'
expect_fail "Qt in the command line" cli/ConsoleDialogs.cpp '#include <QString>'
expect_fail "commands includes the command line" commands/Yielder.cpp '#include "cli/Options.h"'
