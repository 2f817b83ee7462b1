#!/usr/bin/env bash
# Each probe that includes a header of a layer above must fail for that include alone, and the
# widgets' probe, which includes every layer below, must compile. Usage: upward_include_test.sh BUILD_DIR
set -uo pipefail
build=$1 failed=0
build_probe() { out=$(cmake --build "$build" --target "layer_probe_$1" 2>&1); }
refused() { # probe header
    if build_probe "$1"; then
        echo "FAIL: $1 compiled although it includes $2"; failed=$((failed + 1))
    elif ! grep -q "$2" <<<"$out" || ! grep -qE "No such file|never widgets" <<<"$out"; then
        echo "FAIL: $1 failed for another reason than $2:"; tail -5 <<<"$out"; failed=$((failed + 1))
    fi
}
refused link_reaches_data "data/AppState.h"
refused data_reaches_report "report/ReportLayout.h"
refused data_reaches_sim "sim/Board.h"
refused report_reaches_widgets "widgets/pages/UpDown.h"
refused report_reaches_qtwidgets "QtWidgets/QWidget"
build_probe widgets_reach_down ||
    { echo "FAIL: the widgets could not include the layers below them:"; tail -5 <<<"$out"; failed=$((failed + 1)); }
echo "layers: 6 probes, $failed failed"
[ "$failed" -eq 0 ]
