"""Real-input scenarios of the Simulator Panel and the machine history."""

import os
import subprocess

from kalvex_x import ALARMS, NORMAL, check, read, write
from board_scenarios import close_with_escape, program_set

TARGET = 2088  # B2088: the Q.C. blow-off target, spindles first, then blanket and mandrel


def open_panel(k, tab, control):
    if not k.snapshot().shown("tabSimulator"):
        k.menu("&View", "Simulator &Panel")
    s = k.wait_for(lambda s: s.shown("tabSimulator") and s, "the Simulator Panel")
    tabs = [w for w in s.widgets if w.name.startswith("qt_tabwidget_tabbar.tab") and w.text == tab]
    check(tabs, "no panel tab " + tab)
    k.click_widget(tabs[0])
    return k.wait_for(lambda s: s.shown(control) and s, "the panel's " + tab + " tab")


def status(k, text, what):
    return k.wait_for(lambda s: s.find("STATUS", text) and s, what)


def export_history(k):
    """History's export of the alarm raised and cleared equals kalvex-cli's; counters sampled."""
    k.menu("&View", "&History...")
    k.click_widget(k.wait_for(lambda s: s.shown("tblEvents") and s, "the History window")
                   .one("cmdExportCsv"))
    path = os.path.join(k.dir, "shift.csv")
    k.save_as(path)
    k.wait_for(lambda s: not s.shown("QFileDialog") and os.path.exists(path), "the export written")
    exported = read(path)
    printed = subprocess.run([k.screen.cli, "history", "--from", "-1h"], capture_output=True,
                             env=dict(os.environ, XDG_DATA_HOME=k.dir), check=True).stdout
    lines = exported.decode().splitlines()
    kinds = [tuple(l.split(",")[1:3]) for l in lines[1:]]
    raised, cleared = ("alarm raised", "W98.3"), ("alarm cleared", "W98.3")
    check(raised in kinds and cleared in kinds, "no alarm rows in the export: %s" % lines)
    check(kinds.index(raised) < kinds.index(cleared), "cleared before raised: %s" % lines)
    check(printed[:len(exported)] == exported,
          "export and kalvex-cli differ:\n%s\n---\n%s" % (exported, printed))
    samples = read(os.path.join(k.dir, "shift-samples.csv"), "r").splitlines()
    check(len(samples) > 2 and samples[1].split(",")[1].isdigit(),
          "no counter samples exported: %s" % samples[:3])


def alarm_history_and_cable_pulled_from_the_simulator_panel(screen):
    """Alarm 3 shown, no write, in History; cable out: retry box, offline views; F3; the panel."""
    config = screen.scratch("config")
    with screen.start("--online", config=config) as k:
        status(k, NORMAL, "no alarm at first")
        k.click_widget(open_panel(k, "Alarms", "chkSimAlarm3").one("chkSimAlarm3"))
        s = status(k, ALARMS, "the alarm in the status bar")
        check(s.word(98) == 8, "W98 holds %d" % s.word(98))
        k.click_widget(s.one("chkSimAlarm3"))
        status(k, NORMAL, "the alarm cleared")
        k.click_widget(open_panel(k, "Link", "cmdSimSilent").one("cmdSimSilent"))
        s = k.cancel_retry()
        check(s.find("lblSimLink", "Link: silent (the cable is out)"),
              "panel: %s" % s.one("lblSimLink").text)
        k.key("F5")  # the Target Board Interface on the silent board: its offline view
        k.save_as(program_set(k))
        s = k.through_boxes(lambda s: not s.boxes() and s.find(  # (the retry boxes: Cancel)
            "txtTargetBoard0", "Cannot Communicate with Target Board."), "offline view", "Escape")
        check(s.shown("cmdGoOnline") and s.mode("OFFLINE"), "no Go Online button, or online")
        close_with_escape(k)
        k.click_widget(k.snapshot().one("cmdSimCable"))
        k.wait_for(lambda s: s.find("lblSimLink", "Link: answering"), "the cable back")
        k.go_online()
        s = status(k, NORMAL, "the status read again")
        check(not s.writes, "the program wrote to the board: %s" % s.writes[:12])
        k.click_widget(s.one("cmdBlanketBlowoff"))  # (the count's rules: OnlineModeTest, PagesTest)
        s = k.wait_for(lambda s: s.writes and s, "the blanket blow-off")
        check(s.writes[0] == (TARGET, s.memory[52] + 1), "writes: %s" % s.writes)
        export_history(k)  # (its window comes over the main window: last)
    timeline = write(os.path.join(config, "alarm.timeline"), "at 1s alarm 3 on\n")
    with screen.start("--online", "--timeline", timeline, config=config) as k:
        k.wait_for(lambda s: s.shown("tabSimulator"), "the panel open again")
        k.click_widget(status(k, ALARMS, "the timeline's alarm").one("qt_dockwidget_closebutton"))
        k.wait_for(lambda s: not s.shown("tabSimulator"), "the panel closed")
    with screen.start(config=config) as k:
        check(not k.started.shown("tabSimulator"), "the closed panel is open again")


SCENARIOS = [alarm_history_and_cable_pulled_from_the_simulator_panel]
