"""Real-input scenarios of the Color Control page."""

import time

from kalvex_x import Kalvex, changed_bytes, check

STATION = 63  # the station mask the page selects as it opens online


def open_color_control(k):
    return k.wait_for(lambda s: s.find("txtColorCtrl8", "350") and s.find("lblStatus2", "AUTO")
                      and s, "the Color Control page filled")


def color_control_navigation_writes_only_the_station(display, kalvex):
    """Color Control from the Window menu: Tab and Shift+Tab through the fields, Enter and Esc,
    a spin click at a bound, offline and back, another page and back: the board gets only the
    station mask the page selects as it opens online."""
    with Kalvex(display, kalvex, "--online") as k:
        before = k.wait_for(lambda s: s.find("MODE", "ONLINE") and s, "online")
        k.menu("&Window", "&3 Color Control")
        s = open_color_control(k)
        k.click_widget(s.one("txtColorCtrl16"))
        k.key(*["Tab"] * 20, *["shift+Tab"] * 20, delay=20)
        k.key(*["Return", "Escape", "Escape", "Tab"] * 5, delay=20)
        spin = k.snapshot().one("updColorCtrl0")  # ON 0 is its minimum: the down arrow moves nothing
        k.click(spin.x + spin.w // 2, spin.y + spin.h - 3)
        problems = k.dismiss_boxes()
        k.key("F4")
        k.wait_for(lambda s: s.find("MODE", "OFFLINE"), "offline")
        k.key("Tab", "Return", "Escape", "Escape")
        k.key("F3")
        k.wait_for(lambda s: s.find("MODE", "ONLINE"), "online again")
        k.key("alt+w", "1")
        k.wait_for(lambda s: s.shown("txtSpindleBlowoff"), "the Main Display")
        k.key("alt+w", "3")
        open_color_control(k)
        time.sleep(0.5)
        after = k.snapshot()
        other = [w for w in after.writes if w[0] != STATION]
        check(after.writes and not other, "writes: %s" % after.writes[:12])
        check(all(v == 1 for _, v in after.writes), "station writes: %s" % after.writes[:12])
        changed = [a for a in changed_bytes(before, after) if a != STATION]
        check(not changed, "board bytes changed: %s" % changed)
        check(not problems, "boxes on the way: %s" % problems)


COLOR_SCENARIOS = [color_control_navigation_writes_only_the_station]
