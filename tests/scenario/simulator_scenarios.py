"""Real-input scenarios of the Simulator Panel: the trainer changes the simulated board, and
the program learns of it only through the link."""

import os
import shutil
import tempfile

from kalvex_x import Kalvex, check

ALARMS = "System Message:  Alarm(s) Active in P9100"
NORMAL = "System Message:  All Faults Normal"


def open_panel(k, tab, control):
    """View > Simulator Panel, then one of its tabs."""
    k.menu("&View", "Simulator &Panel")
    s = k.wait_for(lambda s: s.shown("tabSimulator") and s, "the Simulator Panel")
    tabs = [w for w in s.widgets if w.name.startswith("qt_tabwidget_tabbar.tab") and w.text == tab]
    check(tabs, "no panel tab " + tab)
    k.click_widget(tabs[0])
    return k.wait_for(lambda s: s.shown(control) and s, "the panel's " + tab + " tab")


def alarm_raised_from_the_simulator_panel(display, kalvex):
    """Alarm bit 3 ticked in the panel: the board's W98 holds it and the status bar reports the
    alarm from its own read; the program writes nothing. The panel opens again by itself on the
    next start, where a timeline raises the alarm; closed with its own button, it stays closed."""
    config = tempfile.mkdtemp(prefix="kalvex-config-")
    try:
        with Kalvex(display, kalvex, "--online", config=config) as k:
            k.wait_for(lambda s: s.find("STATUS", NORMAL), "no alarm at first")
            s = open_panel(k, "Alarms", "chkSimAlarm3")
            k.click_widget(s.one("chkSimAlarm3"))
            s = k.wait_for(lambda s: s.find("STATUS", ALARMS) and s, "the alarm in the status bar")
            check(s.word(98) == 8, "W98 holds %d" % s.word(98))
            k.click_widget(s.one("chkSimAlarm3"))
            s = k.wait_for(lambda s: s.find("STATUS", NORMAL) and s, "the alarm cleared")
            check(not s.writes, "the program wrote to the board: %s" % s.writes[:12])
        timeline = os.path.join(config, "alarm.timeline")
        with open(timeline, "w") as f:
            f.write("at 1s alarm 3 on\n")
        with Kalvex(display, kalvex, "--online", "--timeline", timeline, config=config) as k:
            k.wait_for(lambda s: s.shown("tabSimulator"), "the panel open again")
            s = k.wait_for(lambda s: s.find("STATUS", ALARMS) and s, "the timeline's alarm")
            k.click_widget(s.one("qt_dockwidget_closebutton"))
            k.wait_for(lambda s: not s.shown("tabSimulator"), "the panel closed")
        with Kalvex(display, kalvex, config=config) as k:
            check(not k.snapshot().shown("tabSimulator"), "the closed panel is open again")
    finally:
        shutil.rmtree(config, ignore_errors=True)


def cable_pulled_from_the_simulator_panel(display, kalvex):
    """Silent now: the program's next read times out and offers a retry; Cancel takes it
    offline. Cable back and Online Data: it is online and reading again."""
    with Kalvex(display, kalvex, "--online") as k:
        k.wait_for(lambda s: s.find("STATUS", NORMAL), "online")
        s = open_panel(k, "Link", "cmdSimSilent")
        k.click_widget(s.one("cmdSimSilent"))
        k.wait_for(lambda s: s.boxes(), "the link's retry box", timeout=8)
        k.key("Escape")  # Cancel: the link is lost
        k.dismiss_boxes()
        s = k.wait_for(lambda s: s.find("MODE", "OFFLINE") and s, "offline")
        check(s.find("lblSimLink", "Link: silent (the cable is out)"),
              "panel: %s" % s.one("lblSimLink").text)
        k.click_widget(s.one("cmdSimCable"))
        k.wait_for(lambda s: s.find("lblSimLink", "Link: answering"), "the cable back")
        k.key("F3")
        k.wait_for(lambda s: s.find("MODE", "ONLINE"), "online again")
        k.wait_for(lambda s: s.find("STATUS", NORMAL), "the status read again")


SIMULATOR_SCENARIOS = [alarm_raised_from_the_simulator_panel,
                       cable_pulled_from_the_simulator_panel]
