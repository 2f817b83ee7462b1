"""Real-input scenarios of the compare window's download when the board stops answering or the
operator stops it."""


from kalvex_x import Kalvex, check


def open_compare(k, keys=("alt+f", "b", "s")):
    k.key(*keys)
    return k.wait_for(lambda s: s.shown("frmCompare") and s, "the compare window", timeout=30)


def box_text(k, what, timeout=30):
    return k.wait_for(lambda s: s.boxes() and s.boxes()[0].text, what, timeout=timeout)


def lost_reply_is_in_doubt_until_read(display, kalvex):
    """W1092's high data byte is lost and the board stops answering; the resynchronising 0xFF
    lands in it. After Cancel on the retry box the item may have been changed (never "not
    written"); once the cable is back, Retry reads it and the box says what the board holds."""
    state = "W1092 = 700\nW1094 = 900\nlose_write_at = 1093\n"
    with Kalvex(display, kalvex, "--online", state=state) as k:
        k.wait_for(lambda s: s.find("MODE", "ONLINE"), "online")
        open_compare(k)
        k.key("alt+d")
        check("2 items" in box_text(k, "the download question"), "the question names no count")
        k.key("Return")
        check("Cannot Communicate" in box_text(k, "the retry box"), "no retry box")
        k.key("Escape")
        texts = []
        while True:
            text = box_text(k, "the doubt box")
            texts.append(text)
            if "may have been changed" in text:
                break
            k.key("Return")
        check(not any("not written" in t for t in texts), "a box says not written: %s" % texts)
        check("W1092" in texts[-1], "the doubt box does not name W1092: %r" % texts[-1])
        k.toggle_cable()
        k.key("Return")  # Retry
        text = box_text(k, "the result")
        if text.startswith("Program is Currently OFFLINE"):  # the lost link took it offline
            k.key("Return")
            text = k.wait_for(lambda s: s.boxes() and "of 2 written" in s.boxes()[0].text
                              and s.boxes()[0].text, "the result", timeout=30)
        check("sent 600, board holds 65368" in text, "the result: %r" % text)
        check("1 not sent" in text and "W1094" in text, "W1094 not named as not sent: %r" % text)
        check("not written" not in text, "the result says not written: %r" % text)
        k.key("Return")
        s = k.snapshot()
        check(s.word(1092) == 65368 and s.word(1094) == 900, "board W1092=%d W1094=%d"
              % (s.word(1092), s.word(1094)))


def cancel_reads_back_only_what_was_sent(display, kalvex):
    """Esc during a paced download of 96 label items stops it; no read-back starts unasked, and
    the one offered reads the items sent only."""
    lines = ["baud = 9600\n"]
    for label in range(6):
        for ductor in range(8):
            lines.append("B%d = 7\n" % (3250 + label * 16 + ductor))
    with Kalvex(display, kalvex, "--online", state="".join(lines)) as k:
        k.wait_for(lambda s: s.find("MODE", "ONLINE"), "online")
        k.key("alt+f", "b", "l")
        k.wait_for(lambda s: s.shown("frmLabelRange"), "the Label Range dialog")
        k.key("shift+Tab", "shift+Tab", "Return")  # Ok
        s = k.wait_for(lambda s: s.shown("frmCompare") and s, "the compare window", timeout=60)
        total = int(s.one("lblCount").text.split()[0])
        k.key("alt+d")
        box_text(k, "the download question")
        k.key("Return")
        k.wait_for(lambda s: s.shown("frmProcessing") and s.writes, "the first writes")
        k.key("Escape")
        text = box_text(k, "the read-back question")
        check(text.startswith("Download stopped: "), "no stop question: %r" % text)
        sent = int(text.split()[2])
        check(0 < sent < total, "sent %d of %d" % (sent, total))
        k.key("Return")  # Yes
        text = box_text(k, "the result", timeout=60)
        check(text.startswith("%d of %d written and verified; %d not sent."
                              % (sent, total, total - sent)), "the result: %r" % text[:200])
        box = k.snapshot().boxes()[0]
        check(box.h < 1024, "the box is %d px tall" % box.h)
        k.key("Return")




def title_keeps_one_form(display, kalvex):
    """The title bar reads "KALVEX - [unnamed]" with the Main Display page shown."""
    with Kalvex(display, kalvex) as k:
        k.wait_for(lambda s: s.shown("txtSpindleBlowoff"), "the Main Display page")
        k.settle()
        title = k.xdo("getwindowname", k.window).strip()
        check(title == "KALVEX - [unnamed]", "the title reads %r" % title)


COMPARE_SCENARIOS = [lost_reply_is_in_doubt_until_read, cancel_reads_back_only_what_was_sent,
                     title_keeps_one_form]
