"""Real-input scenarios of downloads: the Label Range dialog, a lost link, a stop by Esc."""

from kalvex_x import check


def download(k, *keys):
    k.key(*keys)
    return k.reply("the download question")


def compare(k):
    return k.dialog("frmCompare", "the compare window", timeout=60)


def label_range(k):
    k.dialog("frmLabelRange", "the Label Range dialog")
    k.key("shift+Tab", "shift+Tab")
    k.wait_for(lambda s: s.focus == "cmdOk", "the focus on Ok")
    k.key("Return")


def lost_reply_is_in_doubt_until_read(screen):
    """W1092's high byte lost: after Cancel "may have been changed", Retry reads what it holds."""
    k = screen.start("--online", state="W1092 = 700\nW1094 = 900\nlose_write_at = 1093\n")
    k.key("alt+f", "b", "s")
    compare(k)
    check("2 items" in download(k, "alt+d"), "the question names no count")
    check("Cannot Communicate" in k.reply("the retry box", "Escape"), "no retry box")
    texts = [k.box("the doubt box")]
    while "may have been changed" not in texts[-1]:
        k.answer()
        texts.append(k.box("the doubt box"))
    check(not any("not written" in t for t in texts), "a box says not written: %s" % texts)
    check("W1092" in texts[-1], "the doubt box does not name W1092: %r" % texts[-1])
    k.toggle_cable()
    k.answer()  # Retry
    text = k.box("the result")
    if text.startswith("Program is Currently OFFLINE"):  # (the lost link took it offline)
        k.answer()
        text = k.box("the result", "of 2 written")
    check("sent 600, board holds 65368" in text, "the result: %r" % text)
    check("1 not sent" in text and "W1094" in text, "W1094 not named as not sent: %r" % text)
    check("not written" not in text, "the result says not written: %r" % text)
    k.answer()
    s = k.snapshot()
    check((s.word(1092), s.word(1094)) == (65368, 900), "board W1092=%d W1094=%d"
          % (s.word(1092), s.word(1094)))


def cancel_reads_back_only_what_was_sent(screen):
    """Esc stops a download, the read-back reads what was sent; Download Label Range ends."""
    state = "baud = 9600\n" + "".join("B%d = 7\n" % (3250 + label * 16 + ductor)
                                      for label in range(6) for ductor in range(8))
    k = screen.start("--online", state=state)
    k.key("alt+f", "b", "l")
    label_range(k)
    total = int(compare(k).one("lblCount").text.split()[0])
    download(k, "alt+d")
    k.wait_for(lambda s: s.shown("frmProcessing") and s.writes, "the first writes")
    k.key("Escape")
    text = k.reply("the read-back question")  # Yes
    check(text.startswith("Download stopped: "), "no stop question: %r" % text)
    sent = int(text.split()[2])
    check(0 < sent < total, "sent %d of %d" % (sent, total))
    text = k.box("the result", timeout=60)
    check(text.startswith("%d of %d written and verified; %d not sent."
                          % (sent, total, total - sent)), "the result: %r" % text[:200])
    box = k.snapshot().boxes()[0]
    check(box.h < 1024, "the box is %d px tall" % box.h)
    k.answer()
    title = k.xdo("getwindowname", k.window).strip()
    check(title == "KALVEX - [unnamed]", "the title reads %r" % title)
    k.activate()
    n = len(k.snapshot().writes)  # Download, Label Range, Return on Ok: the rest goes
    download(k, "alt+f", "n", "Down", "Down", "Return")
    label_range(k)
    s = k.wait_for(lambda s: len(s.writes) > n and not s.shown("frmLabelRange")
                   and not s.shown("frmProcessing") and s, "the download to end", timeout=120)
    check(not s.boxes(), "a box: %s" % [b.text for b in s.boxes()])


SCENARIOS = [lost_reply_is_in_doubt_until_read, cancel_reads_back_only_what_was_sent]
