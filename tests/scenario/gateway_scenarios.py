"""Real-input scenarios of the comm port dialog and Find Board (and the DF1 page's helpers)."""

import os
import subprocess

from kalvex_x import check, read, spawn, write

PLC_TYPE = 1401  # bit 0: 0 PLC-5, 1 SLC-500; the gateway's other bits share the byte
GATEWAY_BITS = "B1401 = 240\n"


def open_df1(k):
    return k.wait_for(lambda s: s.mode("ONLINE") and s.find("lblDisplay0", "(2) Success")
                      and s.one("txtSetup1").text == "10" and s, "the DF1 page online")


def open_dialog(k):
    k.key("ctrl+m")
    return k.wait_for(lambda s: s.shown("frmSetupComm") and s.focus == "txtCommPort" and s,
                      "the comm port dialog")


def closed(k, what="the dialog closing"):
    return k.wait_for(lambda s: not s.shown("frmSetupComm") and s, what)


def comm_port_save_range_cancel_failed_reopen_and_find_board(screen):
    """Ctrl+M: typed port saved, 100 refused, Cancel, a failed re-open online, Find Board saved."""
    home = screen.scratch("home")
    for tool in ("ORV51", "DIV51"):
        os.mkdir(os.path.join(home, tool))
    settings = os.path.join(home, "support", "RSPort.cfg")
    state = write(os.path.join(home, "board.state"), "line_speed = 9600\n")
    board = spawn([screen.cli, "sim", "--state", state], stdout=subprocess.PIPE, text=True)
    screen.processes.append(board)
    board_path = board.stdout.readline().strip()
    k = screen.start("--home", home, env={"KALVEX_PORTS": board_path})
    s = open_dialog(k)
    k.enter("3")
    k.click_widget(s.one("optPortSpeed1"))
    k.key("alt+s")
    closed(k)
    check(read(settings) == b"3,19200\r\n", "RSPort.cfg holds %r" % read(settings))
    check(not os.path.exists(os.path.join(home, "ORV96")), "ORV96 was made")
    open_dialog(k)
    k.enter("100", "Tab")
    text = k.reply("the range message")
    check(text == "Only a Number Between 1 and 99 can be Entered", "box: %s" % text)
    s = k.snapshot()
    check(s.focus == "txtCommPort", "the focus went to %s" % s.focus)
    k.enter("abc")
    k.click_widget(s.one("cmdCancel"))
    check(not closed(k, "Cancel closing the dialog").boxes(), "Cancel showed a box")
    check(read(settings) == b"3,19200\r\n", "Cancel wrote %r" % read(settings))
    k.go_online()
    open_dialog(k)
    k.toggle_cable()
    # The background update runs on under the dialog and meets the silent board first.
    k.reply("the background's retry box", "Escape")
    k.key("alt+s")
    check(k.cancel_retry().shown("frmSetupComm"), "the dialog closed after a failed re-open")
    k.toggle_cable()
    k.key("Escape")
    closed(k, "Esc closing the dialog")
    k.click_widget(open_dialog(k).one("cmdFindBoard"))  # (the search itself: PortProbe tests)
    k.wait_for(lambda s: s.find("lblDevice", "Device: " + board_path), "the board's device")
    k.key("alt+s")
    closed(k)
    check(read(settings) == ("3,9600,%s\r\n" % board_path).encode(), "saved %r" % read(settings))


SCENARIOS = [comm_port_save_range_cancel_failed_reopen_and_find_board]
