#!/usr/bin/env bash
# Builds one probe file per layer that includes a header of a layer above it, and one that
# includes only what lies below; each probe must fail with the include it plants, and the
# control must compile. Usage: upward_include_test.sh BUILD_DIR
set -uo pipefail
build=$1
passed=0 failed=0
expect_refused() { # target header
    local out
    if out=$(cmake --build "$build" --target "$1" 2>&1); then
        echo "FAIL: $1 compiled although it includes $2"; failed=$((failed + 1)); return
    fi
    if grep -q "$2" <<<"$out" && grep -qE "No such file|never widgets" <<<"$out"; then
        passed=$((passed + 1))
    else
        echo "FAIL: $1 failed for another reason than $2:"; echo "$out" | tail -5
        failed=$((failed + 1))
    fi
}
expect_refused layer_probe_link_reaches_data "data/AppState.h"
expect_refused layer_probe_data_reaches_report "report/ReportLayout.h"
expect_refused layer_probe_data_reaches_sim "sim/Board.h"
expect_refused layer_probe_report_reaches_widgets "widgets/pages/UpDown.h"
expect_refused layer_probe_report_reaches_qtwidgets "QtWidgets/QWidget"
if out=$(cmake --build "$build" --target layer_probe_widgets_reach_down 2>&1); then
    passed=$((passed + 1))
else
    echo "FAIL: the widgets could not include the layers below them:"; echo "$out" | tail -5
    failed=$((failed + 1))
fi
echo "layers: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
