"""Real-input scenarios of the Shift Data and I/O Status pages and the shift export."""

import os
import tempfile

from kalvex_x import Kalvex, check

SHIFT_TABS = ["&Trips Per Spindle", "&Current Shift", "&Last Shift"]
SHIFT_TAB_KEYS = ["alt+t", "alt+c", "alt+l"]
RESET_TRIPS = 1016  # bit 0 of this byte holds the trips at zero


def open_shift_data(k):
    return k.wait_for(lambda s: s.shown("cmdResetTrips") and s.find("MODE", "ONLINE")
                      and s.one("txtSpindleTripOffset").text not in ("", "-") and s,
                      "the Shift Data page online")


def reset_trips_held_by_the_mouse(display, kalvex):
    """Reset Trips sets B1016.0 while the mouse holds it and clears it on release, keeping the
    byte's other bits; its access key, Space and Enter send nothing."""
    with Kalvex(display, kalvex, "--online", "--page", "5", state="B1016 = 160\n") as k:
        s = open_shift_data(k)
        k.key("alt+r", "space", "Return")
        check(not k.snapshot().writes, "the keyboard pressed Reset Trips")
        k.mouse_down(s.one("cmdResetTrips"))
        held = k.wait_for(lambda s: s.writes and s, "the press written")
        k.mouse_up()
        after = k.eventually(lambda s: len(s.writes) >= 2)
        check(held.memory[RESET_TRIPS] == 161, "held: B1016 is %d" % held.memory[RESET_TRIPS])
        check(after.writes == [(RESET_TRIPS, 161), (RESET_TRIPS, 160)],
              "writes: %s" % after.writes[:12])


def held_bit_cleared_when_the_link_returns(display, kalvex):
    """Reset Trips released while the cable is out: the bit stays set on the board only until
    the program is online again; a page closed with the button held clears it too."""
    with Kalvex(display, kalvex, "--online", "--page", "5") as k:
        s = open_shift_data(k)
        k.mouse_down(s.one("cmdResetTrips"))
        check(k.eventually(lambda s: s.memory[RESET_TRIPS] & 1).memory[RESET_TRIPS] & 1,
              "the press did not set B1016.0")
        k.toggle_cable()
        k.mouse_up()
        k.wait_for(lambda s: s.boxes(), "the link's retry box", timeout=20)
        k.key("Escape")  # Cancel: the link is lost
        k.dismiss_boxes()
        s = k.wait_for(lambda s: s.find("MODE", "OFFLINE") and s, "offline")
        check(s.memory[RESET_TRIPS] & 1, "the bit was cleared while the board was silent")
        k.toggle_cable()
        k.key("F3")
        k.wait_for(lambda s: s.find("MODE", "ONLINE"), "online again")
        s = k.wait_for(lambda s: not s.memory[RESET_TRIPS] & 1 and s, "B1016.0 cleared",
                       timeout=2)
        k.mouse_down(s.one("cmdResetTrips"))
        k.key("alt+w", "1")  # another page while the mouse still holds the button
        k.mouse_up()
        s = k.wait_for(lambda s: s.shown("txtSpindleBlowoff") and s, "the Main Display")
        check(not s.memory[RESET_TRIPS] & 1, "B1016.0 stayed set after the page closed")


def exit_with_a_held_bit_owed_says_so(display, kalvex):
    """Reset Trips released while the cable is out, then the program closed offline: it offers
    to go online to clear B1016.0 and, declined, says plainly that the bit is still set."""
    with Kalvex(display, kalvex, "--online", "--page", "5") as k:
        s = open_shift_data(k)
        k.mouse_down(s.one("cmdResetTrips"))
        k.eventually(lambda s: s.memory[RESET_TRIPS] & 1)
        k.toggle_cable()
        k.mouse_up()
        k.wait_for(lambda s: s.boxes(), "the link's retry box", timeout=20)
        k.key("Escape")
        k.dismiss_boxes()
        k.wait_for(lambda s: s.find("MODE", "OFFLINE"), "offline")
        k.xdo("key", "--window", k.window, "alt+F4")
        s = k.wait_for(lambda s: s.boxes() and s, "the question at exit")
        check("B1016.0" in s.boxes()[0].text and "Go online now" in s.boxes()[0].text,
              "asked: %s" % s.boxes()[0].text)
        check(s.memory[RESET_TRIPS] & 1, "the bit is not set")
        k.key("n")
        s = k.wait_for(lambda s: s.boxes() and "still set" in s.boxes()[0].text and s,
                       "the word that the bit stays set")
        check("B1016.0" in s.boxes()[0].text, "told: %s" % s.boxes()[0].text)
        k.key("Return")


def transfer_data_ends_the_shift(display, kalvex):
    """Transfer Data pressed and released: the last shift holds the current shift's counts, and
    the current shift starts from zero."""
    state = "running = 0\nD1100 = 5000\nD1104 = 40\nW1124 = 7\n"
    with Kalvex(display, kalvex, "--online", "--page", "5", state=state) as k:
        s = open_shift_data(k)
        k.click_widget(s.one(text=SHIFT_TABS[1]))
        s = k.wait_for(lambda s: s.shown("cmdEndofShift") and s, "the Current Shift tab")
        k.mouse_down(s.one("cmdEndofShift"))
        k.wait_for(lambda s: s.writes, "the press written")
        k.mouse_up()
        s = k.eventually(lambda s: s.dword(1200) == 5000)
        check((s.dword(1200), s.dword(1204), s.word(1224)) == (5000, 40, 7),
              "last shift: %d %d %d" % (s.dword(1200), s.dword(1204), s.word(1224)))
        check((s.dword(1100), s.dword(1104), s.word(1124)) == (0, 0, 0),
              "current shift: %d %d %d" % (s.dword(1100), s.dword(1104), s.word(1124)))


def export_after_upload(display, kalvex):
    """Export Shift Data online: Yes uploads, the file holds the board's counts in 96 lines; with
    the cable pulled during the upload nothing is exported and the old file stays."""
    folder = tempfile.mkdtemp(prefix="kalvex-export-")
    path = os.path.join(folder, "shift.txt")
    state = "running = 0\nD1100 = 4321\nW1124 = 9\n"
    with Kalvex(display, kalvex, "--online", "--baud", "9600", state=state) as k:
        k.wait_for(lambda s: s.find("MODE", "ONLINE"), "online")
        k.key("ctrl+x")
        k.wait_for(lambda s: s.boxes(), "the upload question")
        k.key("y")
        k.wait_for(lambda s: s.focus == "fileNameEdit", "the save dialog", timeout=60)
        k.key("ctrl+a")
        k.type(path)
        k.key("Return")
        k.wait_for(lambda s: not s.shown("QFileDialog") and os.path.exists(path),
                   "the export written")  # (saved whole under its name, or not at all)
        with open(path, "rb") as f:
            lines = f.read().split(b"\r\n")
        check(len(lines) == 97 and lines[96] == b"", "%d lines" % len(lines))
        check(lines[5] == b"4321" and lines[13] == b"9", "values %s %s" % (lines[5], lines[13]))

        k.key("ctrl+x")
        k.wait_for(lambda s: s.boxes(), "the upload question")
        k.key("y")
        k.toggle_cable()
        answered = False
        for _ in range(10):
            shown = k.wait_for(lambda s: (s.boxes() or s.shown("QFileDialog")) and s, "a box",
                               timeout=20)
            check(not shown.shown("QFileDialog"), "the save dialog came although the upload failed")
            text = shown.boxes()[0].text
            if "could not all be read" in text:
                k.key("n")
                answered = True
                break
            k.key("Escape")
        check(answered, "no question about the failed upload")
        k.wait_for(lambda s: not s.boxes(), "the question to close")
        k.hold(lambda s: not s.shown("QFileDialog") and not s.boxes(), "a dialog after No", 1.0)
        with open(path, "rb") as f:
            check(f.read().split(b"\r\n") == lines, "the old export changed")


PAGE_SCENARIOS = [reset_trips_held_by_the_mouse,
                  held_bit_cleared_when_the_link_returns, exit_with_a_held_bit_owed_says_so,
                  transfer_data_ends_the_shift,
                  export_after_upload]
