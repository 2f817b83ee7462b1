"""Real-input scenarios of the DF1 gateway page, the comm port dialog and Find Board."""

import atexit
import os
import shutil
import subprocess
import tempfile
import termios
import threading
import time
import tty

from kalvex_x import Kalvex, check

PLC_TYPE = 1401  # bit 0: 0 PLC-5, 1 SLC-500; the gateway's other bits share the byte
GATEWAY_BITS = "B1401 = 240\n"


def open_df1(k):
    return k.wait_for(lambda s: s.find("MODE", "ONLINE") and s.find("lblDisplay0", "(2) Success")
                      and s.one("txtSetup1").text == "10" and s, "the DF1 page online")


def df1_plc_type_chosen_by_keyboard(display, kalvex):
    """SLC500 chosen with the keyboard online: one write of bit 0 and the data set follows;
    offline (with offline editing) the choice only stores."""
    with Kalvex(display, kalvex, "--online", "--page", "4", state=GATEWAY_BITS) as k:
        open_df1(k)
        k.key("alt+p", "Down")
        s = k.eventually(lambda s: s.writes)
        check(s.writes == [(PLC_TYPE, 241)], "writes: %s" % s.writes[:12])
        k.key("Escape", "F4", "F2")
        s = k.wait_for(lambda s: s.find("MODE", "OFFLINE") and s.find("cboSetup", "SLC500") and s,
                       "the data set's SLC500 offline")
        k.key("alt+p", "Up")
        s = k.wait_for(lambda s: s.find("cboSetup", "PLC5") and s, "PLC5 chosen offline")
        k.settle()
        check(k.snapshot().writes == [(PLC_TYPE, 241)], "offline wrote to the board")


def scratch_home():
    """A program folder of the scenario's own, removed when the run ends."""
    home = tempfile.mkdtemp(prefix="kalvex-home-")
    atexit.register(shutil.rmtree, home, True)
    return home


def read(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError:
        return None


def open_dialog(k):
    k.key("ctrl+m")
    return k.wait_for(lambda s: s.shown("frmSetupComm") and s.focus == "txtCommPort" and s,
                      "the comm port dialog")


def comm_port_save_range_and_cancel(display, kalvex):
    """Ctrl+M, 3 at 19200, Save: the settings file and each tool folder's ORVILO.SFG; 100 gives
    the range message and keeps the focus; Cancel with "abc" typed closes and writes nothing."""
    home = scratch_home()
    for tool in ("ORV51", "DIV51"):
        os.mkdir(os.path.join(home, tool))
    settings = os.path.join(home, "support", "RSPort.cfg")
    with Kalvex(display, kalvex, home=home) as k:
        s = open_dialog(k)
        check(s.find(text="9600"), "no speed options")
        k.key("ctrl+a")
        k.type("3")
        k.click_widget(s.one("optPortSpeed1"))
        k.key("alt+s")
        k.wait_for(lambda s: not s.shown("frmSetupComm"), "the dialog closing")
        check(read(settings) == b"3,19200\r\n", "RSPort.cfg holds %r" % read(settings))
        for tool in ("ORV51", "DIV51"):
            sfg = read(os.path.join(home, tool, "ORVILO.SFG"))
            check(sfg == b"2\r\n", "%s/ORVILO.SFG holds %r" % (tool, sfg))
        check(not os.path.exists(os.path.join(home, "ORV96")), "ORV96 was made")

        open_dialog(k)
        k.key("ctrl+a")
        k.type("100")
        k.key("Tab")
        s = k.wait_for(lambda s: s.boxes() and s, "the range message")
        check(s.boxes()[0].text == "Only a Number Between 1 and 99 can be Entered",
              "box: %s" % s.boxes()[0].text)
        k.key("Return")
        s = k.wait_for(lambda s: not s.boxes() and s, "the box closing")
        check(s.focus == "txtCommPort", "the focus went to %s" % s.focus)
        k.key("ctrl+a")
        k.type("abc")
        k.click_widget(s.one("cmdCancel"))
        s = k.wait_for(lambda s: not s.shown("frmSetupComm") and s, "Cancel closing the dialog")
        check(not s.boxes(), "Cancel showed a box")
        check(read(settings) == b"3,19200\r\n", "Cancel wrote %r" % read(settings))


def comm_port_failed_reopen_keeps_the_dialog(display, kalvex):
    """Online, Save while the board is silent: the re-open's retry box cancelled, the dialog
    stays open and MODE shows OFFLINE."""
    home = scratch_home()
    with Kalvex(display, kalvex, "--online", home=home) as k:
        k.wait_for(lambda s: s.find("MODE", "ONLINE"), "online")
        open_dialog(k)
        k.toggle_cable()
        # The background update runs on under the dialog and meets the silent board first:
        # its retry box is cancelled.
        k.wait_for(lambda s: s.boxes(), "the background's retry box")
        k.key("Escape")
        k.wait_for(lambda s: not s.boxes(), "the background's box closing")
        k.key("alt+s")
        k.wait_for(lambda s: s.boxes(), "the link's retry box", timeout=20)
        k.key("Escape")
        s = k.wait_for(lambda s: not s.boxes() and s.find("MODE", "OFFLINE") and s,
                       "MODE showing OFFLINE")
        check(s.shown("frmSetupComm"), "the dialog closed after a failed re-open")
        k.toggle_cable()
        k.key("Escape")
        k.wait_for(lambda s: not s.shown("frmSetupComm"), "Esc closing the dialog")


class SilentPort:
    """A pseudo-terminal nobody answers on; it keeps every byte sent to it."""

    def __init__(self):
        self.master, self.slave = os.openpty()
        tty.setraw(self.slave, termios.TCSANOW)
        self.path = os.ttyname(self.slave)
        self.received = bytearray()
        self.running = True
        self.thread = threading.Thread(target=self._read, daemon=True)
        self.thread.start()

    def _read(self):
        import select
        while self.running:
            ready, _, _ = select.select([self.master], [], [], 0.05)
            if ready:
                try:
                    self.received += os.read(self.master, 256)
                except OSError:
                    time.sleep(0.05)

    def close(self):
        self.running = False
        self.thread.join()
        os.close(self.master)
        os.close(self.slave)


def find_board_fills_in_port_and_speed(display, kalvex):
    """Find Board over a silent pseudo-terminal and a simulated board at 19200: the board's
    device and 19200 are filled in and saved; the silent port heard one attention byte per
    speed and nothing else."""
    home = scratch_home()
    state = os.path.join(home, "board.state")
    with open(state, "w") as f:
        f.write("line_speed = 19200\nbaud = 19200\n")
    board = subprocess.Popen([os.path.join(os.path.dirname(kalvex), "kalvex-cli"), "sim",
                              "--state", state], stdout=subprocess.PIPE, text=True)
    silent = SilentPort()
    try:
        board_path = board.stdout.readline().strip()
        ports = {"KALVEX_PORTS": silent.path + ":" + board_path}
        with Kalvex(display, kalvex, home=home, env=ports) as k:
            s = open_dialog(k)
            k.click_widget(s.one("cmdFindBoard"))
            s = k.wait_for(lambda s: s.find("lblDevice", "Device: " + board_path) and s,
                           "the board's device filled in")
            k.key("alt+s")
            k.wait_for(lambda s: not s.shown("frmSetupComm"), "the dialog closing")
        saved = read(os.path.join(home, "support", "RSPort.cfg"))
        check(saved == ("1,19200,%s\r\n" % board_path).encode(), "RSPort.cfg holds %r" % saved)
        check(bytes(silent.received) == b"\xff\xff",
              "the silent port received %r" % bytes(silent.received))
    finally:
        silent.close()
        board.terminate()
        board.wait(10)


GATEWAY_SCENARIOS = [df1_plc_type_chosen_by_keyboard,
                     comm_port_save_range_and_cancel, comm_port_failed_reopen_keeps_the_dialog,
                     find_board_fills_in_port_and_speed]
