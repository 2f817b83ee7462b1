"""Real-input scenarios of the Shift Data and Color Control pages and the shift export."""

import os

from kalvex_x import check, read

SHIFT_TABS = ["&Trips Per Spindle", "&Current Shift", "&Last Shift"]
SHIFT_TAB_KEYS = ["alt+t", "alt+c", "alt+l"]
RESET_TRIPS = 1016  # bit 0 of this byte holds the trips at zero
STATION = 63  # the station mask the Color Control page selects as it opens online


def open_shift_data(k):
    return k.wait_for(lambda s: s.shown("cmdResetTrips") and s.mode("ONLINE")
                      and s.one("txtSpindleTripOffset").text not in ("", "-") and s,
                      "the Shift Data page online")


def open_color_control(k, on="350"):
    return k.wait_for(lambda s: s.find("txtColorCtrl8", on) and s.find("lblStatus2", "AUTO")
                      and s, "the Color Control page filled")


def release_while_silent(k):
    """Reset Trips pressed, the cable pulled, the button released and the retry cancelled."""
    k.click_widget(open_shift_data(k).one("cmdResetTrips"), "mousedown")
    k.wait_for(lambda s: s.memory[RESET_TRIPS] & 1, "the press to set B1016.0")
    k.toggle_cable()
    k.mouse_up()
    check(k.cancel_retry().memory[RESET_TRIPS] & 1, "B1016.0 cleared while the board was silent")


def reset_trips_and_transfer_data_held_by_the_mouse(screen):
    """Reset Trips, Transfer Data act while held; a B1016.0 left set is cleared or asked at exit."""
    k = screen.start("--online", "--page", "5",
                     state="B1016 = 160\nrunning = 0\nD1100 = 5000\nD1104 = 40\nW1124 = 7\n")
    s = open_shift_data(k)
    k.key("alt+r", "space", "Return")
    check(not k.snapshot().writes, "the keyboard pressed Reset Trips")
    k.click_widget(s.one("cmdResetTrips"), "mousedown")
    held = k.wait_for(lambda s: s.writes and s, "the press written")
    k.mouse_up()
    after = k.wait_for(lambda s: len(s.writes) >= 2 and s, "the release written")
    check(held.memory[RESET_TRIPS] == 161, "held: B1016 is %d" % held.memory[RESET_TRIPS])
    check(after.writes == [(RESET_TRIPS, 161), (RESET_TRIPS, 160)], "writes: %s" % after.writes)
    k.click_widget(s.one(text=SHIFT_TABS[1]))
    end_of_shift = k.wait_for(lambda s: s.find("cmdEndofShift"), "the Current Shift tab")[0]
    k.click_widget(end_of_shift, "mousedown")
    k.wait_for(lambda s: len(s.writes) > 2, "the press written")
    k.mouse_up()
    s = k.wait_for(lambda s: s.dword(1200) == 5000 and s, "the shift transferred")
    shifts = [(s.dword(a), s.dword(a + 4), s.word(a + 24)) for a in (1200, 1100)]
    check(shifts == [(5000, 40, 7), (0, 0, 0)], "last and current shift: %s" % shifts)
    k.key("alt+t")
    release_while_silent(k)
    k.toggle_cable()
    k.key("F3")
    s = k.wait_for(lambda s: s.mode("ONLINE") and not s.memory[RESET_TRIPS] & 1 and s,
                   "online again with B1016.0 cleared")
    k.click_widget(s.one("cmdResetTrips"), "mousedown")
    k.key("alt+w", "1")  # another page while the mouse still holds the button
    k.mouse_up()
    s = k.wait_for(lambda s: s.shown("txtSpindleBlowoff") and s, "the Main Display")
    check(not s.memory[RESET_TRIPS] & 1, "B1016.0 stayed set after the page closed")
    k.key("alt+w", "5")
    release_while_silent(k)
    k.key("alt+F4")  # (openbox asks the main window to close)
    text = k.reply("the question at exit", "n")
    check("B1016.0" in text and "Go online now" in text, "asked: %s" % text)
    text = k.box("the word that the bit stays set", "still set")
    check("B1016.0" in text, "told: %s" % text)
    k.key("Return")


def export_after_upload(screen):
    """Ctrl+X online: Yes uploads and exports; the cable out in the upload: the old file stays."""
    k = screen.start("--online", "--baud", "9600", state="running = 0\nD1100 = 4321\nW1124 = 9\n")
    path = os.path.join(k.dir, "shift.txt")
    k.key("ctrl+x")
    k.reply("the upload question", "y")
    k.save_as(path)
    k.wait_for(lambda s: not s.shown("QFileDialog") and os.path.exists(path),
               "the export written")  # (saved whole under its name, or not at all)
    lines = read(path).split(b"\r\n")  # (the layout: ShiftExport.LinesAndValuesInPlace)
    check(lines[5] == b"4321" and lines[13] == b"9", "values %s %s" % (lines[5], lines[13]))
    k.key("ctrl+x")
    k.reply("the upload question", "y")
    k.toggle_cable()
    s = k.through_boxes(lambda s: s.shown("QFileDialog") or any(  # (retry boxes first: Cancel)
        "could not all be read" in b.text for b in s.boxes()), "the failed upload's question",
        "Escape")
    check(not s.shown("QFileDialog"), "the save dialog came although the upload failed")
    k.answer("n")
    # (the cable is still out: the background's retry box may come, and only it)
    k.hold(lambda s: not s.shown("QFileDialog") and all(
        b.text.startswith("Cannot Communicate") for b in s.boxes()), "a dialog after No", 1.0)
    check(read(path).split(b"\r\n") == lines, "the old export changed")


def label_load_runs_to_its_end_whatever_the_keys(screen):
    """Enter and Esc while label 7 loads on a slow board: the registers end with its values."""
    old = "".join("B%d = 50\nW%d = 400\n" % (a + d, a + 10 + 2 * d) for a in (720, 3100)
                  for d in range(8))
    new = "".join("B%d = %d\nW%d = %d\n" % (3310 + d, 10 + 5 * d, 3320 + 2 * d, 300 + 10 * d)
                  for d in range(8))
    k = screen.start("--online", "--page", "3", state="W686 = 0\nF119 = 1\n" + old + new)
    s = open_color_control(k, "400")
    k.set_board("delay_ms = 8\n")
    k.click_widget(s.one("txtColorCtrl16"))
    k.enter("7", "Return")
    for field, keys in (("0", ["Return", "Escape", "Escape"]), ("16", ["Escape", "Return"])):
        k.click_widget(s.one("txtColorCtrl" + field))
        k.key(*keys)
    s = k.wait_for(lambda s: s.find("txtColorCtrl15", "370") and s, "the load's last value shown")
    registers = [(s.memory[720 + d], s.word(730 + 2 * d)) for d in range(8)]
    check(registers == [(10 + 5 * d, 300 + 10 * d) for d in range(8)], "ON, CYCLE: %s" % registers)
    k.calm()


SCENARIOS = [reset_trips_and_transfer_data_held_by_the_mouse, export_after_upload,
             label_load_runs_to_its_end_whatever_the_keys]
