#!/usr/bin/env python3
"""Real-input scenarios for the operator pages. Usage: scenarios.py KALVEX [NAME...]
Exit status 0 when every scenario named (default: all) passes, 1 on a failure, 77 when
there is no Xvfb to run on."""

import sys
import time
import traceback

from kalvex_x import SKIP, Display, Failure, Kalvex, Skip, check
from board_scenarios import BOARD_SCENARIOS
from color_scenarios import COLOR_SCENARIOS
from compare_scenarios import COMPARE_SCENARIOS
from gateway_scenarios import GATEWAY_SCENARIOS
from page_scenarios import PAGE_SCENARIOS
from simulator_scenarios import SIMULATOR_SCENARIOS
from signal_scenarios import SIGNAL_SCENARIOS
from history_scenarios import HISTORY_SCENARIOS
from link_scenarios import LINK_SCENARIOS

from navigation_scenarios import NAVIGATION_SCENARIOS, TAB_KEYS, shown_tab


def spin_with_pending_range_error(display, kalvex):
    """5000 typed in a field, then a spin arrow of that field or another: the range box, and after
    OK no arrow repeats; afterwards a click writes exactly its one step."""
    with Kalvex(display, kalvex, "--online", "--page", "2") as k:
        s = k.wait_for(lambda s: s.find("txtSetup0", "600") and s.find("txtSetup1", "1000") and s,
                       "the Set-up page filled")
        for arrow_of in ("txtSetup0", "txtSetup1"):
            k.click_widget(s.one("txtSetup0"))
            k.key("ctrl+a")
            k.type("5000")
            spin = s.spin_of(arrow_of)
            k.click(spin.x + spin.w // 2, spin.y + spin.h * 3 // 4)
            box = k.wait_for(lambda s: s.boxes(), "the range message")[0]
            check("Only a Number Between 0 and 1999" in box.text, "box says " + box.text)
            k.key("Return")
            # A repeating arrow would step ten times a second.
            s = k.hold(lambda s: not s.boxes() and not s.writes,
                       "arrow of %s: a box or a write after OK" % arrow_of, 2.0)
            check(s.focus == "txtSetup0", "the focus went to %s" % s.focus)
            check(s.one("txtSetup0").text == "600", "the field shows %s" % s.one("txtSetup0").text)
        # A plain click on an arrow: one step, one write.
        spin = s.spin_of("txtSetup1")
        k.click(spin.x + spin.w // 2, spin.y + spin.h * 3 // 4)
        k.wait_for(lambda s: len(s.writes) >= 2, "the step written")
        s = k.hold(lambda s: len(s.writes) == 2, "the arrow went on stepping", 1.5)
        check(s.writes == [(1094, 999 % 256), (1095, 999 // 256)], "writes: %s" % s.writes[:12])
        check(s.word(1092) == 600 and s.word(1094) == 999, "W1092 %d W1094 %d" % (s.word(1092), s.word(1094)))


def access_keys_switch_tabs(display, kalvex):
    """Alt+P, Alt+D, Alt+B, Alt+M show the controls of their tab."""
    with Kalvex(display, kalvex, "--page", "2") as k:
        k.wait_for(lambda s: s.shown("txtSetup0"), "the Set-up page")
        for tab in (1, 2, 3, 0, 2):
            k.key(TAB_KEYS[tab])
            s = k.eventually(lambda s: shown_tab(s) == [tab])
            check(shown_tab(s) == [tab], "%s shows the controls of tabs %s" % (TAB_KEYS[tab], shown_tab(s)))


def pages_cannot_be_closed(display, kalvex):
    """Ctrl+W, Ctrl+F4 and the window controls at the right of the menu bar leave the page."""
    with Kalvex(display, kalvex, "--page", "2") as k:
        k.wait_for(lambda s: s.shown("txtSetup0"), "the Set-up page")
        for keys in (["ctrl+w"], ["ctrl+F4"]):
            k.key(*keys)
            check(k.snapshot().shown("txtSetup0"), "%s closed the page" % keys)
        s = k.snapshot()
        controls = [w for w in s.widgets if "ControllerWidget" in w.name or "ControlLabel" in w.name]
        for c in controls:  # none should be there; click their right end (close) if they are
            k.click(c.x + c.w - 6, c.y + c.h // 2)
            k.dismiss_boxes()
        s = k.snapshot()
        check(s.shown("txtSetup0"), "the window controls closed the page")
        check(not controls, "window controls are shown: %s" % [c.name for c in controls])
        k.key("alt+w", "1")
        k.wait_for(lambda s: s.shown("txtSpindleBlowoff"), "the Main Display page")


def label_range_return_on_ok(display, kalvex):
    """Download Label Data: Return on the focused Ok of the Label Range dialog starts it."""
    with Kalvex(display, kalvex, "--online") as k:
        k.wait_for(lambda s: s.find("MODE", "ONLINE"), "online")
        k.key("alt+f", "n", "Down", "Down", "Return")
        k.wait_for(lambda s: s.boxes(), "the download question")
        k.key("Return")  # Yes
        k.wait_for(lambda s: s.shown("frmLabelRange"), "the Label Range dialog")
        k.key("shift+Tab", "shift+Tab")
        ok = ("cmdOk", "QPushButton")  # (unnamed before the controls had names)
        check(k.eventually(lambda s: s.focus in ok).focus in ok, "the focus is not on Ok")
        k.key("Return")
        s = k.wait_for(lambda s: not s.shown("frmLabelRange") and not s.shown("frmProcessing")
                       and s, "the download to end", timeout=30)
        check(s.writes, "nothing was downloaded")
        check(not s.boxes(), "a box: %s" % [b.text for b in s.boxes()])


def long_fault_text_keeps_the_window(display, kalvex):
    """A long fault text is cut in the status panel and does not widen the main window."""
    with Kalvex(display, kalvex, "--online", state="B8176 = 10\n") as k:
        width = k.snapshot().one("frmMDIMain").w
        s = k.wait_for(lambda s: "fault" in s.one("STATUS").text.lower() and s, "the fault text")
        k.dismiss_boxes()
        s = k.snapshot()
        main, time_panel = s.one("frmMDIMain"), s.one("TIME")
        check(main.w == width, "the window grew from %d to %d px" % (width, main.w))
        check(time_panel.x + time_panel.w <= main.x + main.w, "the TIME panel is off the window")


SCENARIOS = [spin_with_pending_range_error, access_keys_switch_tabs, pages_cannot_be_closed,
             label_range_return_on_ok, long_fault_text_keeps_the_window]
SCENARIOS += (NAVIGATION_SCENARIOS + PAGE_SCENARIOS + COLOR_SCENARIOS + SIMULATOR_SCENARIOS +
              BOARD_SCENARIOS + GATEWAY_SCENARIOS + COMPARE_SCENARIOS + SIGNAL_SCENARIOS +
              HISTORY_SCENARIOS + LINK_SCENARIOS)


def main(argv):
    kalvex, names = argv[1], argv[2:]
    chosen = [s for s in SCENARIOS if not names or s.__name__ in names]
    failed = []
    try:
        with Display() as display:
            for scenario in chosen:
                start = time.time()
                try:
                    scenario(display, kalvex)
                    print("PASS %s (%.1f s)" % (scenario.__name__, time.time() - start))
                except Failure as e:
                    failed.append(scenario.__name__)
                    print("FAIL %s: %s" % (scenario.__name__, e))
                except Exception:
                    failed.append(scenario.__name__)
                    print("ERROR %s" % scenario.__name__)
                    traceback.print_exc()
                sys.stdout.flush()
    except Skip as e:
        print("SKIP:", e)
        return SKIP
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
