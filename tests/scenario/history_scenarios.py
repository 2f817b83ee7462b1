"""Real-input scenario of the machine history: a simulated run with an alarm, then View >
History and its CSV export."""

import os
import shutil
import subprocess
import tempfile

from kalvex_x import Kalvex, check

ALARMS = "System Message:  Alarm(s) Active in P9100"
NORMAL = "System Message:  All Faults Normal"


def history_lists_the_alarm_and_exports_it(display, kalvex):
    """Online on the Main Display while the simulator raises and clears alarm 1: View > History
    lists both, the export of the shown rows is byte for byte what kalvex-cli prints for the
    same events, and the samples file holds the counters read."""
    work = tempfile.mkdtemp(prefix="kalvex-history-")
    try:
        timeline = os.path.join(work, "alarm.timeline")
        with open(timeline, "w") as f:
            f.write("at 2s alarm 1 on\nat 5s alarm 1 off\n")
        data = os.path.join(work, "data")
        with Kalvex(display, kalvex, "--online", "--timeline", timeline,
                    env={"XDG_DATA_HOME": data}) as k:
            k.wait_for(lambda s: s.find("STATUS", ALARMS), "the alarm", timeout=20)
            k.wait_for(lambda s: s.find("STATUS", NORMAL), "the alarm cleared", timeout=20)
            k.menu("&View", "&History...")
            s = k.wait_for(lambda s: s.shown("tblEvents") and s, "the History window")
            k.click_widget(s.one("cmdExportCsv"))
            k.wait_for(lambda s: s.focus == "fileNameEdit", "the save dialog", timeout=60)
            path = os.path.join(work, "shift.csv")
            k.key("ctrl+a")
            k.type(path)
            k.key("Return")
            k.wait_for(lambda s: not s.shown("QFileDialog") and os.path.exists(path),
                       "the export written")
            with open(path, "rb") as f:
                exported = f.read()
            cli = os.path.join(os.path.dirname(kalvex), "kalvex-cli")
            printed = subprocess.run([cli, "history", "--from", "-1h"], capture_output=True,
                                     env=dict(os.environ, XDG_DATA_HOME=data), check=True).stdout
            lines = exported.decode().splitlines()
            rows = [l.split(",") for l in lines[1:]]
            kinds = [(r[1], r[2]) for r in rows]
            check(("alarm raised", "W98.1") in kinds and ("alarm cleared", "W98.1") in kinds,
                  "no alarm rows in the export: %s" % lines)
            check(kinds.index(("alarm raised", "W98.1")) <
                  kinds.index(("alarm cleared", "W98.1")), "cleared before raised: %s" % lines)
            check(printed[:len(exported)] == exported,
                  "export and kalvex-cli differ:\n%s\n---\n%s" % (exported, printed))
            with open(os.path.join(work, "shift-samples.csv")) as f:
                samples = f.read().splitlines()
            check(len(samples) > 2 and samples[1].split(",")[1].isdigit(),
                  "no counter samples exported: %s" % samples[:3])
    finally:
        shutil.rmtree(work, ignore_errors=True)


HISTORY_SCENARIOS = [history_lists_the_alarm_and_exports_it]
