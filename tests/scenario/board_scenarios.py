"""Real-input scenarios of the Target Board Interface window."""

from kalvex_x import check

FAULT_REGISTERS = [8178, 8179, 8177, 8176]  # the order Reset Faults clears them in
CLOCK = [43016, 43015, 43017, 43012, 43010, 43008]  # month, day, year; hour, minute, second
TABS = ["&Fault Codes / Status", "&Program Ident/Revision", "&Set Network Address",
        "S&et Time && Date"]
TAB_FIELDS = [[], [], ["txtSetup0", "txtSetup1"], ["txtSetup%d" % i for i in range(2, 8)]]
# A Q7610 (board type "A") has both network addresses and a clock; a P9100 ("D") neither.
LCF = "E" + "0" * 34 + "1001" + "1000%"


def program_set(k, board="D"):
    """LINE1.ovp, .rev (ident KVX91D07, revision 7), .hex and .lcf in the run's folder."""
    for ext, text in (("ovp", board), ("rev", "KVX91D07:707"), ("hex", ":00000001FF"),
                      ("lcf", LCF)):
        path = k.write_file("program/LINE1." + ext, text + "\r\n")
    return path[:-3] + "ovp"


def open_board(k, path, by_menu=False, online=True):
    if online:
        k.through_boxes(lambda s: s.mode("ONLINE") and not s.boxes() and not s.shown("FaultBox")
                        and len(s.one("STATUS").text) > len("System Message:"), "the first reads")
    if by_menu:
        k.menu("&View", "&Target Board Interface")
    else:
        k.key("F5")
    k.save_as(path)
    k.wait_for(lambda s: s.shown("frmTargetBoard"), "the Target Board Interface")
    k.click_widget(k.snapshot().one(text=TABS[1]))
    s = k.wait_for(lambda s: s.find("lblRevIdentInPLC0", "KVX91D07") and s, "the first pass")
    k.click_widget(s.one(text=TABS[0]))
    return k.wait_for(lambda s: s.find("lblTargetBoard0") and s.find("txtTargetBoard0") and s,
                      "the fault tab")


def close_with_escape(k):
    for _ in range(4):
        if not k.snapshot().shown("frmTargetBoard"):
            return
        k.key("Escape")
    check(not k.snapshot().shown("frmTargetBoard"), "Esc did not close the window")


def walk_every_field(k):
    """Every tab, Enter and Esc in every field, Tab around: no box."""
    for tab, fields in enumerate(TAB_FIELDS):
        k.click_widget(k.snapshot().one(text=TABS[tab]))
        s = k.snapshot()
        for name in (f for f in fields if s.shown(f)):  # (rows this board has)
            for key in ("Return", "Escape"):
                k.click_widget(s.one(name))
                k.calm(key)
        k.calm(*["Tab"] * 10, *["shift+Tab"] * 10)
    k.calm("alt+p", "alt+s", "alt+e", "alt+f")


def reset_faults_clears_four_registers_in_order(screen):
    """Fault 0AH shown, the window not widened; Reset zeroes four registers in order, reads back."""
    # The board sets its fault again: shown read back, the last fault cleared.
    k = screen.start("--online", state="B8176 = 10\nB8177 = 10\nB8179 = 3\nB8178 = 4\n"
                     "sticky_fault = 10\n")
    s = k.wait_for(lambda s: s.shown("FaultBox") and "fault" in s.one("STATUS").text.lower()
                   and s, "the main window's fault box and text")
    main, time_panel = s.one("frmMDIMain"), s.one("TIME")  # (a long text is cut)
    check(main.w == k.started.one("frmMDIMain").w and time_panel.x + time_panel.w
          <= main.x + main.w, "the fault text widened the window to %d px" % main.w)
    s = open_board(k, program_set(k))
    texts = [s.one(n[:3] + "TargetBoard" + n[3]).text for n in ("lbl0", "txt0", "lbl4")]
    check(texts == ["Current Fault: Code = 0AH", "Fault Code (0AH): no text installed for this "
                    "code", "Current Comm Error: Code = 03H"], "shown: %s" % texts)
    k.key("alt+r")
    text = k.reply("the reset question", "alt+y")
    check(text.startswith("Target Board will be reinitialized."), text)
    after = k.wait_for(lambda s: len(s.writes) >= 4 and s, "the reset writes")
    check(after.writes == [(a, 0) for a in FAULT_REGISTERS], "writes: %s" % after.writes)
    k.through_boxes(lambda s: s.find("lblTargetBoard0", "Current Fault: Code = 0AH")
                    and s.find("lblTargetBoard1", "Last Fault: Code = 00H"),
                    "the codes read again: current 0AH, last 00H")


def set_clock_and_refuse_address_33(k):
    """Q7610 online: Set Date and Set Time write the clock cells; address 33 is refused."""
    check(not k.snapshot().writes, "the walk wrote to the board")
    k.key("alt+e")
    k.wait_for(lambda s: s.shown("cmdSetDate"), "the clock tab")
    k.key("alt+d")
    k.wait_for(lambda s: len(s.writes) >= 3, "the date written")
    k.key("alt+t")
    s = k.wait_for(lambda s: len(s.writes) >= 6 and s, "the time written")
    check([a for a, _ in s.writes] == CLOCK, "clock writes: %s" % s.writes)
    k.key("alt+s")
    k.click_widget(k.wait_for(lambda s: s.find("txtSetup0") or None, "the address tab")[0])
    k.enter("33", "Return")
    boxes = k.dismiss_boxes()
    check(boxes == ["Only a Number Between 1 and 32 can be Entered"], "boxes: %s" % boxes)
    k.key("Escape", "Escape")


SCENARIOS = [reset_faults_clears_four_registers_in_order]
