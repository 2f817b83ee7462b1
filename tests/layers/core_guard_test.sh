#!/usr/bin/env bash
# The build's guard against windows in the core: a GUI header is refused at compile time, and an
# archive that needs a QtGui symbol is refused after it is built, while QtCore code passes both.
# Usage: core_guard_test.sh CXX NM GUARD_DIR CHECK_SCRIPT QTCORE_SO QTSERIAL_SO QT_INCLUDE_DIR
set -euo pipefail
cxx=$1 nm=$2 guard=$3 check=$4 core=$5 serial=$6 qtinc=$7
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
flags=(-std=c++20 -fPIC -isystem "$qtinc" -isystem "$qtinc/QtCore" -isystem "$qtinc/QtGui")

printf '#include <QtGui/QColor>\nstatic const QColor kLeak(1, 2, 3);\n' >"$work/leak.cpp"
if "$cxx" "${flags[@]}" -I"$guard" -c "$work/leak.cpp" -o "$work/leak.o" 2>"$work/err"; then
    echo "FAIL: a core file including QtGui/QColor compiled"; exit 1
fi
grep -q 'core libraries' "$work/err" || { echo "FAIL: no guard message"; cat "$work/err"; exit 1; }

archive() { # name source
    printf '%s\n' "$2" >"$work/$1.cpp"
    "$cxx" "${flags[@]}" -c "$work/$1.cpp" -o "$work/$1.o"
    ar qc "$work/lib$1.a" "$work/$1.o"
}
archive gui '#include <QtGui/QColor>
QString name() { return QColor(1, 2, 3).name(); }'
if bash "$check" "$nm" "$cxx" "$work/libgui.a" "$core" "$serial" -- 2>"$work/err"; then
    echo "FAIL: an archive needing QColor::name passed the symbol check"; exit 1
fi
grep -q 'QColor' "$work/err" || { echo "FAIL: the symbol was not named"; cat "$work/err"; exit 1; }

archive core '#include <QtCore/QString>
QString number(int n) { return QString::number(n); }'
bash "$check" "$nm" "$cxx" "$work/libcore.a" "$core" "$serial" -- ||
    { echo "FAIL: a QtCore-only archive was refused"; exit 1; }
echo "core guard: 3 passed, 0 failed"
