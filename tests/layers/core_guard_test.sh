#!/usr/bin/env bash
# The core guard refuses a GUI header when compiling and an archive needing a QtGui symbol after
# it is built; QtCore code passes. Usage: core_guard_test.sh CXX NM GUARD_DIR CHECK_SCRIPT QTCORE_SO QTSERIAL_SO QT_INCLUDE_DIR
set -euo pipefail
cxx=$1 nm=$2 guard=$3 check=$4 core=$5 serial=$6 qtinc=$7 work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
flags=(-std=c++20 -fPIC -isystem "$qtinc" -isystem "$qtinc/QtCore" -isystem "$qtinc/QtGui")
fail() { echo "FAIL: $1"; cat "$work/err" 2>/dev/null; exit 1; }

printf '#include <QtGui/QColor>\nstatic const QColor kLeak(1, 2, 3);\n' >"$work/leak.cpp"
"$cxx" "${flags[@]}" -I"$guard" -c "$work/leak.cpp" -o "$work/leak.o" 2>"$work/err" &&
    fail "a core file including QtGui/QColor compiled"
grep -q 'core libraries' "$work/err" || fail "no guard message"

archive() { # name source
    printf '%s\n' "$2" >"$work/$1.cpp"
    "$cxx" "${flags[@]}" -c "$work/$1.cpp" -o "$work/$1.o"
    ar qc "$work/lib$1.a" "$work/$1.o"
}
archive gui '#include <QtGui/QColor>
QString name() { return QColor(1, 2, 3).name(); }'
bash "$check" "$nm" "$cxx" "$work/libgui.a" "$core" "$serial" -- 2>"$work/err" &&
    fail "an archive needing QColor::name passed the symbol check"
grep -q 'QColor' "$work/err" || fail "the symbol was not named"

archive core '#include <QtCore/QString>
QString number(int n) { return QString::number(n); }'
bash "$check" "$nm" "$cxx" "$work/libcore.a" "$core" "$serial" -- 2>"$work/err" ||
    fail "a QtCore-only archive was refused"
echo "core guard: 3 passed, 0 failed"
