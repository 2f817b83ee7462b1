"""Every page's navigation scenario, a table: each row starts the program, walks its page with
the page's keys and clicks, and finds no write (but those the row allows), no board byte
changed and no box on the way. Then the Set-up page's spin arrows and the window's width."""

from collections import namedtuple

from kalvex_x import NORMAL, changed_bytes, check
from board_scenarios import close_with_escape, open_board, program_set, walk_every_field
from gateway_scenarios import GATEWAY_BITS, PLC_TYPE, open_df1
from page_scenarios import SHIFT_TABS, SHIFT_TAB_KEYS, STATION, open_color_control, \
    open_shift_data

TABS = ["S&peed Parameters", "&Ductor Parameters", "&Blow-off Parameters", "&Machine Timing"]
TAB_KEYS = ["alt+p", "alt+d", "alt+b", "alt+m"]
TAB_FIRST_FIELD = ["txtSetup0", "txtSetup3", "txtSetup8", "txtSetup18"]
# Window menu item: a widget, with the text it shows once the page is read
PAGES = {1: ("&1 Main Display", "txtSpindleBlowoff", None), 2: ("&2 Set-up Parameters",
         "txtSetup0", "600"), 3: ("&3 Color Control", None, None), 5: ("&5 Shift Data", None, None)}

# walk(k) -> the problems met; writes_ok(write) -> a write the row allows; changes_ok: board
# addresses the row itself changes (through the simulator, not the program).
Row = namedtuple("Row", "walk args state writes_ok changes_ok",
                 defaults=(("--online",), None, lambda w: False, ()))


def shown_tab(s):
    return [i for i, f in enumerate(TAB_FIRST_FIELD) if s.shown(f)]


def show_tab(k, tab, by_mouse=False):
    if by_mouse:
        k.click_widget(k.snapshot().one(text=TABS[tab]))
    else:
        k.key(TAB_KEYS[tab])
    s = k.eventually(lambda s: shown_tab(s) == [tab])
    check(shown_tab(s) == [tab], "%s shows the controls of tabs %s" % (TAB_KEYS[tab], shown_tab(s)))


def window(k, number, by_mouse=False):
    """A page from the Window menu; the boxes shown as it opens."""
    item, name, text = PAGES[number]
    if by_mouse:
        k.menu("&Window", item)
    else:
        k.key("alt+w", str(number))
    k.wait_for(lambda s: name is None or s.find(name, text) or s.boxes(), item)
    return k.dismiss_boxes()


def online_again(k, page_shown):
    """F4, then F3: offline and online again, and a background read online since."""
    k.go_offline()
    k.go_online(lambda s: s.shown(page_shown) and s.find("STATUS", NORMAL))


def setup_and_main(k):
    """Every page from the menu (mouse and keyboard), every tab by mouse and access key, Tab,
    Shift+Tab, Enter and Esc through every field, offline and back."""
    problems = []
    for by_mouse in (False, True):
        problems += window(k, 2, by_mouse)
        for tab in range(4):
            show_tab(k, tab, by_mouse)
            k.click_widget(k.snapshot().one(TAB_FIRST_FIELD[tab]))
            k.key(*["Tab"] * 12, *["shift+Tab"] * 12, delay=20)
            k.key(*["Return", "Escape", "Escape", "Escape", "Tab"] * 5, delay=20)
            problems += k.dismiss_boxes()
        problems += window(k, 1, by_mouse)
        k.key(*["Tab"] * 8, *["shift+Tab"] * 8, *["Return", "Escape", "Escape"] * 3, delay=20)
        problems += k.dismiss_boxes()
        online_again(k, "txtSpindleBlowoff")
    return problems


def setup_first_field(k):
    """The Set-up page from the Window menu, its first field left with Tab, Enter, Esc twice
    or another page."""
    problems = []
    for leave in (["Tab"], ["Return"], ["Escape", "Escape"], ["alt+w", "1"]):
        problems += window(k, 2)
        k.key(*leave)
        problems += k.dismiss_boxes() + window(k, 1)
    return problems


def access_keys(k):
    """Alt+P, Alt+D, Alt+B, Alt+M show the controls of their tab."""
    k.wait_for(lambda s: s.shown("txtSetup0"), "the Set-up page")
    for tab in (1, 2, 3, 0, 2):
        show_tab(k, tab)
    return []


def pages_stay_open(k):
    """Ctrl+W, Ctrl+F4 and the window controls at the right of the menu bar leave the page."""
    k.wait_for(lambda s: s.shown("txtSetup0"), "the Set-up page")
    k.key("ctrl+w", "ctrl+F4")
    s = k.snapshot()
    controls = [w for w in s.widgets if "ControllerWidget" in w.name or "ControlLabel" in w.name]
    for c in controls:  # none should be there; click their right end (close) if they are
        k.click(c.x + c.w - 6, c.y + c.h // 2)
        k.dismiss_boxes()
    check(k.snapshot().shown("txtSetup0"), "Ctrl+W, Ctrl+F4 or the window controls closed it")
    check(not controls, "window controls are shown: %s" % [c.name for c in controls])
    return window(k, 1)


def shift_data(k):
    """Every tab by click and access key, Tab and Shift+Tab, Enter and Esc, the buttons' access
    keys, offline and back."""
    problems = window(k, 5, True)
    open_shift_data(k)
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
    k.go_offline()
    s = k.eventually(lambda s: all(w.text == "-" for w in s.widgets if "State" in w.name))
    shown = {w.name: w.text for w in s.widgets if "State" in w.name and w.text != "-"}
    return ["offline states: %s" % shown] if shown else []


def color_control(k):
    """Tab and Shift+Tab through the fields, Enter and Esc, a spin click at a bound, offline
    and back, another page and back: only the station mask the page selects as it opens."""
    problems = window(k, 3, True)
    s = open_color_control(k)
    k.click_widget(s.one("txtColorCtrl16"))
    k.key(*["Tab"] * 20, *["shift+Tab"] * 20, delay=20)
    k.key(*["Return", "Escape", "Escape", "Tab"] * 5, delay=20)
    spin = k.snapshot().one("updColorCtrl0")  # ON 0 is its minimum: the down arrow moves nothing
    k.click(spin.x + spin.w // 2, spin.y + spin.h - 3)
    problems += k.dismiss_boxes()
    k.go_offline()
    k.key("Tab", "Return", "Escape", "Escape")
    k.go_online()
    problems += window(k, 1) + window(k, 3)
    check(open_color_control(k).writes, "the page selected no station")
    return problems


def target_board(board, by_menu):
    """Every tab, Enter and Esc in every field, Tab around, closed with Esc; the window takes
    the program online."""
    def walk(k):
        open_board(k, program_set(k, board), by_menu, online=not by_menu)
        problems = walk_every_field(k)
        close_with_escape(k)
        check(k.snapshot().mode("ONLINE"), "the window did not take the program online")
        return problems
    return walk


def df1(k):
    """Wheel steps over the closed PLC type list (another field focused, then the list), Tab,
    Esc, offline and back; the PLC type changed by the board: the list follows it."""
    s = open_df1(k)
    k.click_widget(s.one("txtSetup0"))
    wheel = s.one("cboSetup").centre()
    k.click(*wheel, button=5)
    k.click(*wheel, button=4)
    k.key("Escape", "Escape", "alt+p")
    k.click(*wheel, button=5)
    check(k.snapshot().find("cboSetup", "PLC5"), "a wheel step changed the PLC type")
    k.key(*["Tab"] * 8, *["shift+Tab"] * 8, "Escape", "Escape", delay=30)
    k.go_offline()
    k.wait_for(lambda s: s.find("lblDisplay0", "-"), "the gateway's status cleared offline")
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
    for close in (lambda: k.key("Escape"), lambda: k.click_widget(k.snapshot().one("cmdClose"))):
        k.key("alt+f", "b", "Return")
        s = k.wait_for(lambda s: s.shown("frmCompare") and s, "the compare window", timeout=60)
        count = s.one("lblCount").text
        check(count.startswith("2 items differ"), "the count reads %r" % count)
        k.click_widget(s.one("grdDifferences"))
        k.key(*["Tab"] * 6, *["shift+Tab"] * 6, "Down", "Up", "space", "space", delay=30)
        close()
        k.wait_for(lambda s: not s.shown("frmCompare"), "the compare window to close")
        check(not k.dismiss_boxes(), "a box was shown")
    return []


TABLE = {
    "navigation_never_writes": [Row(setup_and_main)],
    "menu_page_online_writes_nothing": [Row(setup_first_field)],
    "access_keys_switch_tabs": [Row(access_keys, ("--page", "2"))],
    "pages_cannot_be_closed": [Row(pages_stay_open, ("--page", "2"))],
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


def navigate(screen, row):
    with screen.start(*row.args, state=row.state) as k:
        before = k.first if "--online" in row.args else k.snapshot()
        problems = row.walk(k)
        after = k.snapshot()
        wrong = [w for w in after.writes if not row.writes_ok(w)]
        check(not wrong, "the board received writes: %s" % wrong[:12])
        changed = [a for a in changed_bytes(before, after) if a not in row.changes_ok]
        check(not changed, "board bytes changed: %s" % changed)
        check(not problems, "boxes or wrong tabs on the way: %s" % problems)


def scenario(name, rows):
    def run(screen):
        for row in rows:
            navigate(screen, row)
    run.__name__ = name
    return run


def spin_with_pending_range_error(screen):
    """5000 typed in a field, then a spin arrow of that field or another: the range box, and after
    OK no arrow repeats; afterwards a click writes exactly its one step."""
    k = screen.start("--online", "--page", "2")
    s = k.wait_for(lambda s: s.find("txtSetup0", "600") and s.find("txtSetup1", "1000") and s,
                   "the Set-up page filled")
    arrows = {f: s.one(f.replace("txt", "upd")) for f in ("txtSetup0", "txtSetup1")}
    down = {f: (w.x + w.w // 2, w.y + w.h * 3 // 4) for f, w in arrows.items()}
    for arrow_of in ("txtSetup0", "txtSetup1"):
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
    words = (s.word(1092), s.word(1094))
    check(words == (600, 999), "W1092, W1094: %s" % (words,))


def long_fault_text_keeps_the_window(screen):
    """A long fault text is cut in the status panel and does not widen the main window."""
    k = screen.start("--online", state="B8176 = 10\n")
    width = k.started.one("frmMDIMain").w
    k.wait_for(lambda s: "fault" in s.one("STATUS").text.lower(), "the fault text")
    k.dismiss_boxes()
    s = k.snapshot()
    main, time_panel = s.one("frmMDIMain"), s.one("TIME")
    check(main.w == width, "the window grew from %d to %d px" % (width, main.w))
    check(time_panel.x + time_panel.w <= main.x + main.w, "the TIME panel is off the window")


SCENARIOS = [scenario(name, rows) for name, rows in TABLE.items()]
SCENARIOS += [spin_with_pending_range_error, long_fault_text_keeps_the_window]
