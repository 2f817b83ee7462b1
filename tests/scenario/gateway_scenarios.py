"""Real-input scenarios of the comm port dialog and Find Board (and the DF1 page's helpers)."""

import os
import subprocess
import termios
import tty

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


def comm_port_save_range_cancel_and_failed_reopen(screen):
    """Ctrl+M, 3 at 19200, Save: RSPort.cfg and each tool folder's ORVILO.SFG; 100: the range
    box; Cancel writes nothing; online, Save on a silent board keeps the dialog open."""
    home = screen.scratch("home")
    for tool in ("ORV51", "DIV51"):
        os.mkdir(os.path.join(home, tool))
    settings = os.path.join(home, "support", "RSPort.cfg")
    k = screen.start(home=home)
    s = open_dialog(k)
    check(s.find(text="9600"), "no speed options")
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


def silent_port(screen):
    """A pseudo-terminal nobody answers on: its path, and a reader of what it received."""
    master, slave = os.openpty()
    tty.setraw(slave, termios.TCSANOW)
    os.set_blocking(master, False)
    screen.cleanups += [lambda: os.close(master), lambda: os.close(slave)]

    def received():
        try:
            return os.read(master, 4096)
        except BlockingIOError:
            return b""
    return os.ttyname(slave), received


def find_board_fills_in_port_and_speed(screen):
    """Find Board over a silent pseudo-terminal and a board at 19200: the board's device and
    speed are saved; the silent port heard one attention byte per speed, nothing else."""
    home = screen.scratch("home")
    state = write(os.path.join(home, "board.state"), "line_speed = 19200\nbaud = 19200\n")
    cli = os.path.join(os.path.dirname(screen.binary), "kalvex-cli")
    board = spawn([cli, "sim", "--state", state], stdout=subprocess.PIPE, text=True)
    screen.processes.append(board)
    silent, received = silent_port(screen)
    board_path = board.stdout.readline().strip()
    k = screen.start(home=home, env={"KALVEX_PORTS": silent + ":" + board_path})
    k.click_widget(open_dialog(k).one("cmdFindBoard"))
    k.wait_for(lambda s: s.find("lblDevice", "Device: " + board_path), "the board's device")
    k.key("alt+s")
    closed(k)
    k.close()
    saved = read(os.path.join(home, "support", "RSPort.cfg"))
    check(saved == ("1,19200,%s\r\n" % board_path).encode(), "RSPort.cfg holds %r" % saved)
    heard = received()
    check(heard == b"\xff\xff", "the silent port received %r" % heard)


SCENARIOS = [comm_port_save_range_cancel_and_failed_reopen, find_board_fills_in_port_and_speed]
