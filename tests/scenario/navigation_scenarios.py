"""Every page and window walked by keys and clicks: no write (but a row's), no change, no box."""

from collections import namedtuple

from kalvex_x import NORMAL, changed_bytes, check
from compare_scenarios import compare
from board_scenarios import CLOCK, close_with_escape, open_board, program_set, \
    set_clock_and_refuse_address_33, walk_every_field
from gateway_scenarios import GATEWAY_BITS, PLC_TYPE, open_df1
from page_scenarios import SHIFT_TABS, SHIFT_TAB_KEYS, STATION, open_color_control, \
    open_shift_data

# The Set-up page's tabs: title, access key, first field; Window menu: item, widget, its text.
TABS = [("S&peed Parameters", "alt+p", "txtSetup0"), ("&Ductor Parameters", "alt+d", "txtSetup3"),
        ("&Blow-off Parameters", "alt+b", "txtSetup8"), ("&Machine Timing", "alt+m", "txtSetup18")]
PAGES = {1: ("&1 Main Display", "txtSpindleBlowoff", None), 2: ("&2 Set-up Parameters",
         "txtSetup0", "600"), 3: ("&3 Color Control", None, None), 5: ("&5 Shift Data", None, None)}

# walk(k): asserts on the way; writes_ok(write): a write the row allows; changes_ok: board
# addresses the row itself changes (through the simulator, not the program).
Row = namedtuple("Row", "walk args state writes_ok changes_ok",
                 defaults=(("--online",), None, lambda w: False, ()))


def around(n, *then):
    return ["Tab"] * n + ["shift+Tab"] * n + list(then)


def show_tab(k, tab, by_mouse=False):
    title, key, _ = TABS[tab]
    k.click_widget(k.snapshot().one(text=title)) if by_mouse else k.key(key)
    k.wait_for(lambda s: [t for t in TABS if s.shown(t[2])] == [TABS[tab]],
               "%s to show its tab's controls alone" % (title if by_mouse else key))


def window(k, number, by_mouse=False):
    item, name, text = PAGES[number]
    k.menu("&Window", item) if by_mouse else k.key("alt+w", str(number))
    k.wait_for(lambda s: name is None or s.find(name, text) or s.boxes(), item)
    k.calm()


def online_again(k, page_shown):
    k.go_offline()
    k.go_online(lambda s: s.shown(page_shown) and s.find("STATUS", NORMAL))


def setup_and_main(k):
    """Fields left by Tab, Enter, Esc, a page; every page and tab; Ctrl+W, Ctrl+F4 close none."""
    for leave in (["Tab"], ["Return"], ["Escape", "Escape"], ["alt+w", "1"]):
        window(k, 2)
        k.calm(*leave)
        window(k, 1)
    for by_mouse in (False, True):
        window(k, 2, by_mouse)
        for tab in (3, 1, 0, 2) if by_mouse else range(4):
            show_tab(k, tab, by_mouse)
            k.click_widget(k.snapshot().one(TABS[tab][2]))
            k.calm(*around(12, *["Return", "Escape", "Escape", "Escape", "Tab"] * 5))
        k.key("ctrl+w", "ctrl+F4")
        s = k.snapshot()
        check(s.shown(TABS[tab][2]), "Ctrl+W or Ctrl+F4 closed the page")
        controls = [w.name for w in s.widgets
                    if "ControllerWidget" in w.name or "ControlLabel" in w.name]
        check(not controls, "window controls are shown: %s" % controls)
        window(k, 1, by_mouse)
        k.calm(*around(8, *["Return", "Escape", "Escape"] * 3))
        online_again(k, "txtSpindleBlowoff")


def shift_data(k):
    """Every tab by click and key, Tab, Enter, Esc, the buttons' access keys, offline and back."""
    window(k, 5, True)
    open_shift_data(k)
    for tab in (1, 2, 0):
        k.click_widget(k.snapshot().one(text=SHIFT_TABS[tab]))
        k.calm(*around(6, "Return", "Escape", "Escape", SHIFT_TAB_KEYS[(tab + 1) % 3], "alt+r",
                        "space", "Return"))
    k.key("alt+o", "Escape", "Escape", "Tab", "space")
    online_again(k, "tbsData")


def io_status(k):
    """Ten seconds online show the moving bits; offline every state is "-"."""
    s = k.wait_for(lambda s: s.find("lblSlot00State15", "ON") and s, "Set-up Enable ON")
    check(s.one("lblSlot00State1").text == "ON", "no can on the mandrel")
    k.hold(lambda s: not s.writes, "the page wrote to the board", 10)
    k.go_offline()
    k.wait_for(lambda s: all(w.text == "-" for w in s.widgets if "State" in w.name),
               'every state "-" offline')


def color_control(k):
    """Tab, Enter, Esc, a spin at its bound, offline and back: only the station mask written."""
    window(k, 3, True)
    k.click_widget(open_color_control(k).one("txtColorCtrl16"))
    k.calm(*around(20, *["Return", "Escape", "Escape", "Tab"] * 5))
    spin = k.snapshot().one("updColorCtrl0")  # ON 0 is its minimum: the down arrow moves nothing
    k.click(spin.x + spin.w // 2, spin.y + spin.h - 3)
    k.calm()
    k.go_offline()
    k.key("Tab", "Return", "Escape", "Escape")
    k.go_online()
    window(k, 1)
    window(k, 3)
    check(open_color_control(k).writes, "the page selected no station")


def target_board(board, by_menu):
    def walk(k):
        open_board(k, program_set(k, board), by_menu, online=not by_menu)
        walk_every_field(k)
        if board == "A":
            set_clock_and_refuse_address_33(k)
        close_with_escape(k)
        check(k.snapshot().mode("ONLINE"), "the window did not take the program online")
    return walk


def df1(k):
    """Wheel over the closed PLC type list, Tab, Esc, offline and back; a board change shows."""
    s = open_df1(k)
    k.click_widget(s.one("txtSetup0"))
    wheel = s.one("cboSetup").centre()
    k.click(*wheel, button=5)
    k.click(*wheel, button=4)
    k.key("Escape", "Escape", "alt+p")
    k.click(*wheel, button=5)
    check(k.snapshot().find("cboSetup", "PLC5"), "a wheel step changed the PLC type")
    k.calm(*around(8, "Escape", "Escape"), delay=30)
    k.go_offline()
    k.wait_for(lambda s: s.find("lblDisplay0", "-"), "the gateway's status cleared offline")
    k.key("F3")
    open_df1(k)
    k.set_board("B1401.0 = 1\n")
    k.wait_for(lambda s: s.find("cboSetup", "SLC500"), "the list following the board")
    k.settle()  # what the change set off has run
    check(k.snapshot().memory[PLC_TYPE] == 241, "B1401 is not 241")


def compare_window(k):
    """Compare with Board lists two changed items; keys and clicks short of Download."""
    for close in (lambda: k.key("Escape"), lambda: k.click_widget(k.snapshot().one("cmdClose"))):
        k.key("alt+f", "b", "Return")
        s = compare(k)
        check(s.one("lblCount").text.startswith("2 items differ"), s.one("lblCount").text)
        k.click_widget(s.one("grdDifferences"))
        k.key(*around(6, "Down", "Up", "space", "space"), delay=30)
        close()
        k.wait_for(lambda s: not s.shown("frmCompare"), "the compare window to close")
        k.calm()


TABLE = {
    "navigation_never_writes": [Row(setup_and_main)],
    "shift_data_navigation_writes_nothing": [Row(shift_data)],
    "io_status_writes_nothing": [Row(io_status, ("--online", "--page", "6"))],
    "color_control_navigation_writes_only_the_station": [
        Row(color_control, writes_ok=lambda w: w == (STATION, 1), changes_ok=(STATION,))],
    "target_board_navigation_writes_only_the_clock": [
        Row(target_board("A", False), writes_ok=lambda w: w[0] in CLOCK, changes_ok=CLOCK),
        Row(target_board("D", True), ())],
    "df1_navigation_writes_nothing": [
        Row(df1, ("--online", "--page", "4"), GATEWAY_BITS, changes_ok=(PLC_TYPE,))],
    "compare_window_writes_nothing": [Row(compare_window, state="W1092 = 650\nW1094 = 900\n")],
}


def scenario(name, rows):
    def run(screen):
        for row in rows:
            with screen.start(*row.args, state=row.state) as k:
                before = k.first if "--online" in row.args else k.snapshot()
                row.walk(k)
                after = k.snapshot()
                wrong = [w for w in after.writes if not row.writes_ok(w)]
                check(not wrong, "the board received writes: %s" % wrong[:12])
                changed = [a for a in changed_bytes(before, after) if a not in row.changes_ok]
                check(not changed, "board bytes changed: %s" % changed)
    run.__name__ = name
    return run


def spin_with_pending_range_error(screen):
    """5000 typed, an arrow: the range box, then no repeat; a plain click writes its one step."""
    k = screen.start("--online", "--page", "2")
    s = k.wait_for(lambda s: s.find("txtSetup0", "600") and s.find("txtSetup1", "1000") and s,
                   "the Set-up page filled")
    arrows = {f: s.one(f.replace("txt", "upd")) for f in ("txtSetup0", "txtSetup1")}
    down = {f: (w.x + w.w // 2, w.y + w.h * 3 // 4) for f, w in arrows.items()}
    for arrow_of in down:
        k.click_widget(s.one("txtSetup0"))
        k.enter("5000")
        k.click(*down[arrow_of])
        text = k.reply("the range message")
        check("Only a Number Between 0 and 1999" in text, "box says " + text)
        # A repeating arrow would step ten times a second.
        s = k.hold(lambda s: not s.boxes() and not s.writes,
                   "arrow of %s: a box or a write after OK" % arrow_of, 2.0)
        check(s.focus == "txtSetup0", "the focus went to %s" % s.focus)
        check(s.one("txtSetup0").text == "600", "the field shows %s" % s.one("txtSetup0").text)
    k.click(*down["txtSetup1"])  # a plain click on an arrow: one step, one write
    k.wait_for(lambda s: len(s.writes) >= 2, "the step written")
    s = k.hold(lambda s: len(s.writes) == 2, "the arrow went on stepping", 1.5)
    check(s.writes == [(1094, 999 % 256), (1095, 999 // 256)], "writes: %s" % s.writes[:12])


SCENARIOS = [scenario(name, rows) for name, rows in TABLE.items()]
SCENARIOS.append(spin_with_pending_range_error)
