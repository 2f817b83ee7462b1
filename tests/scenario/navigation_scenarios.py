"""Every page's navigation scenario, one table: each row starts the program on its page or
board, walks it with the page's own keys and clicks, and then finds that the board received
no write (but those the row allows) and that no board byte changed, and that no box or wrong
tab came up on the way. A scenario of several rows runs them in turn."""

from collections import namedtuple

from kalvex_x import Kalvex, changed_bytes, check
from board_scenarios import close_with_escape, open_board, program_set, wait_first_pass, \
    walk_every_field
from color_scenarios import STATION, open_color_control
from gateway_scenarios import GATEWAY_BITS, PLC_TYPE, open_df1
from page_scenarios import SHIFT_TABS, SHIFT_TAB_KEYS, open_shift_data

NORMAL = "System Message:  All Faults Normal"
TABS = ["S&peed Parameters", "&Ductor Parameters", "&Blow-off Parameters", "&Machine Timing"]
TAB_KEYS = ["alt+p", "alt+d", "alt+b", "alt+m"]
TAB_FIRST_FIELD = ["txtSetup0", "txtSetup3", "txtSetup8", "txtSetup18"]

# walk(k) -> the problems met; writes_ok(write) -> a write the row allows; changes_ok: board
# addresses the row itself changes (through the simulator, not the program).
Row = namedtuple("Row", "walk args state writes_ok changes_ok",
                 defaults=(("--online",), None, lambda w: False, ()))


def shown_tab(s):
    return [i for i, f in enumerate(TAB_FIRST_FIELD) if s.shown(f)]


def online_again(k, page_shown):
    """F4, then F3: offline and online again, and a background read online since."""
    k.key("F4")
    k.wait_for(lambda s: s.find("MODE", "OFFLINE"), "offline")
    k.key("F3")
    k.wait_for(lambda s: s.find("MODE", "ONLINE") and s.shown(page_shown), "online again")
    k.wait_for(lambda s: s.find("STATUS", NORMAL), "a background read online")


def setup_and_main(k):
    """Every page from the menu (mouse and keyboard), every tab by mouse and access key, Tab,
    Shift+Tab, Enter and Esc through every field, offline and back."""
    problems = []
    for by_mouse in (False, True):
        if by_mouse:
            k.menu("&Window", "&2 Set-up Parameters")
        else:
            k.key("alt+w", "2")
        k.wait_for(lambda s: s.find("txtSetup0", "600") or s.boxes(), "the Set-up page read")
        problems += k.dismiss_boxes()
        for tab in range(4):
            if by_mouse:
                k.click_widget(k.snapshot().one(text=TABS[tab]))
            else:
                k.key(TAB_KEYS[tab])
            s = k.eventually(lambda s: shown_tab(s) == [tab])
            if shown_tab(s) != [tab]:
                problems.append("%s shows tabs %s" % (TAB_KEYS[tab], shown_tab(s)))
                k.click_widget(s.one(text=TABS[tab]))
                s = k.snapshot()
            k.click_widget(s.one(TAB_FIRST_FIELD[tab]))
            k.key(*["Tab"] * 12, *["shift+Tab"] * 12, delay=20)
            k.key(*["Return", "Escape", "Escape", "Escape", "Tab"] * 5, delay=20)
            problems += k.dismiss_boxes()
        if by_mouse:
            k.menu("&Window", "&1 Main Display")
        else:
            k.key("alt+w", "1")
        k.wait_for(lambda s: s.shown("txtSpindleBlowoff"), "the Main Display page")
        k.key(*["Tab"] * 8, *["shift+Tab"] * 8, *["Return", "Escape", "Escape"] * 3, delay=20)
        problems += k.dismiss_boxes()
        online_again(k, "txtSpindleBlowoff")
    return problems


def setup_first_field(k):
    """The Set-up page from the Window menu, its first field left with Tab, Enter, Esc twice
    or another page: no box on the way."""
    for leave in (["Tab"], ["Return"], ["Escape", "Escape"], ["alt+w", "1"]):
        k.key("alt+w", "2")
        k.wait_for(lambda s: s.find("txtSetup0", "600") or s.boxes(), "the Set-up page read")
        boxes = k.dismiss_boxes()
        check(not boxes, "opening the page showed %s" % boxes)
        k.key(*leave)
        boxes = k.dismiss_boxes()
        check(not boxes, "%s showed %s" % (leave, boxes))
        k.key("alt+w", "1")
        k.wait_for(lambda s: s.shown("txtSpindleBlowoff"), "the Main Display page")
    return []


def shift_data(k):
    """Every tab by click and access key, Tab and Shift+Tab, Enter and Esc, the buttons' access
    keys, offline and back."""
    k.menu("&Window", "&5 Shift Data")
    open_shift_data(k)
    problems = []
    for tab in (1, 2, 0):
        k.click_widget(k.snapshot().one(text=SHIFT_TABS[tab]))
        k.key(*["Tab"] * 6, *["shift+Tab"] * 6, "Return", "Escape", "Escape", delay=20)
        k.key(SHIFT_TAB_KEYS[(tab + 1) % 3], "alt+r", "space", "Return", delay=20)
        problems += k.dismiss_boxes()
    k.key("alt+o", "Escape", "Escape", "Tab", "space")
    online_again(k, "tbsData")
    return problems


def io_status(k):
    """Ten seconds online show the moving bits; offline every state is "-"."""
    s = k.wait_for(lambda s: s.find("lblSlot00State15", "ON") and s, "Set-up Enable ON")
    check(s.one("lblSlot00State1").text == "ON", "no can on the mandrel")
    k.hold(lambda s: not s.writes, "the page wrote to the board", 10)
    k.key("F4")
    k.wait_for(lambda s: s.find("MODE", "OFFLINE"), "offline")
    s = k.eventually(lambda s: all(w.text == "-" for w in s.widgets if "State" in w.name))
    shown = {w.name: w.text for w in s.widgets if "State" in w.name and w.text != "-"}
    return ["offline states: %s" % shown] if shown else []


def color_control(k):
    """Tab and Shift+Tab through the fields, Enter and Esc, a spin click at a bound, offline
    and back, another page and back: only the station mask the page selects as it opens."""
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
    check(open_color_control(k).writes, "the page selected no station")
    return problems


def target_board(board, by_menu):
    """Every tab, Enter and Esc in every field, Tab around, closed with Esc; the window takes
    the program online."""
    def walk(k):
        open_board(k, program_set(k, board), by_menu, online=not by_menu)
        wait_first_pass(k)
        problems = walk_every_field(k)
        close_with_escape(k)
        check(k.snapshot().find("MODE", "ONLINE"), "the window did not take the program online")
        return problems
    return walk


def df1(k):
    """Tab through, Esc, offline and back, wheel steps over the closed PLC type list (with
    another field focused, then the list), the PLC type changed by the board while the page
    shows it: the list follows the board."""
    s = open_df1(k)
    k.click_widget(s.one("txtSetup0"))
    k.click(*s.one("cboSetup").centre(), button=5)
    k.click(*s.one("cboSetup").centre(), button=4)
    k.key("Escape", "Escape", "alt+p")
    k.click(*s.one("cboSetup").centre(), button=5)
    check(k.snapshot().find("cboSetup", "PLC5"), "a wheel step changed the PLC type")
    k.key(*["Tab"] * 8, *["shift+Tab"] * 8, "Escape", "Escape", delay=30)
    k.key("F4")
    k.wait_for(lambda s: s.find("MODE", "OFFLINE") and s.find("lblDisplay0", "-"), "offline")
    k.key("F3")
    open_df1(k)
    k.set_board("B1401.0 = 1\n")
    k.wait_for(lambda s: s.find("cboSetup", "SLC500"), "the list following the board")
    k.settle()  # what the change set off has run
    check(k.snapshot().memory[PLC_TYPE] == 241, "B1401 is not 241")
    return []


def compare_window(k):
    """File > Compare with Board > Set-up Data lists the board's two changed items; keys and
    clicks short of Download (Tab, arrows, Space on a tick box, Esc, Close)."""
    for close_with in (["Escape"], None):
        k.key("alt+f", "b", "Return")
        s = k.wait_for(lambda s: s.shown("frmCompare") and s, "the compare window", timeout=60)
        count = s.one("lblCount").text
        check(count.startswith("2 items differ"), "the count reads %r" % count)
        k.click_widget(s.one("grdDifferences"))
        k.key(*["Tab"] * 6, *["shift+Tab"] * 6, "Down", "Up", "space", "space", delay=30)
        if close_with:
            k.key(*close_with)
        else:
            k.click_widget(k.snapshot().one("cmdClose"))
        k.wait_for(lambda s: not s.shown("frmCompare"), "the compare window to close")
        check(not k.dismiss_boxes(), "a box was shown")
    return []


TABLE = {
    "navigation_never_writes": [Row(setup_and_main)],
    "menu_page_online_writes_nothing": [Row(setup_first_field)],
    "shift_data_navigation_writes_nothing": [Row(shift_data)],
    "io_status_writes_nothing": [Row(io_status, ("--online", "--page", "6"))],
    "color_control_navigation_writes_only_the_station": [
        Row(color_control, writes_ok=lambda w: w == (STATION, 1), changes_ok=(STATION,))],
    "target_board_navigation_writes_nothing": [Row(target_board("D", False)),
                                               Row(target_board("A", True), ())],
    "df1_navigation_writes_nothing": [
        Row(df1, ("--online", "--page", "4"), GATEWAY_BITS, changes_ok=(PLC_TYPE,))],
    "compare_window_writes_nothing": [Row(compare_window, state="W1092 = 650\nW1094 = 900\n")],
}


def navigate(display, kalvex, row):
    with Kalvex(display, kalvex, *row.args, state=row.state) as k:
        online = "--online" in row.args
        before = k.wait_for(lambda s: s.find("MODE", "ONLINE") and s, "online") if online \
            else k.snapshot()
        problems = row.walk(k)
        after = k.snapshot()
        wrong = [w for w in after.writes if not row.writes_ok(w)]
        check(not wrong, "the board received writes: %s" % wrong[:12])
        changed = [a for a in changed_bytes(before, after) if a not in row.changes_ok]
        check(not changed, "board bytes changed: %s" % changed)
        check(not problems, "boxes or wrong tabs on the way: %s" % problems)


def scenario(name, rows):
    def run(display, kalvex):
        for row in rows:
            navigate(display, kalvex, row)
    run.__name__ = name
    run.__doc__ = " / ".join(row.walk.__doc__ or "" for row in rows)
    return run


NAVIGATION_SCENARIOS = [scenario(name, rows) for name, rows in TABLE.items()]
