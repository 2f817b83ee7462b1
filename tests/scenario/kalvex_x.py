"""Runs the built kalvex on its simulator under Xvfb with openbox and drives it with real X input
(xdotool). The program is inspected through KALVEX_SIM_DUMP: on SIGUSR1 it writes the simulator's
memory and the memory writes it received, and a map of the visible widgets. Every wait is for
such a condition, with a deadline generous enough for a loaded machine or the sanitizers."""

import ctypes
import os
import shutil
import signal
import subprocess
import tempfile
import time

SKIP = 77  # CTest's SKIP_RETURN_CODE: no X server to run on
NORMAL = "System Message:  All Faults Normal"
ALARMS = "System Message:  Alarm(s) Active in P9100"


class Skip(Exception):
    pass


class Failure(AssertionError):
    pass


# Board cells the running simulated machine changes by itself: speeds, counters, resolver, the
# I/O words (F17 lives in byte 34), the shift's trips and blow-off causes, and the solenoid
# response times that follow the selected station; the DF1 gateway's traffic.
MACHINE_BYTES = {a + k for a, n in ((112, 2), (520, 4), (526, 2), (180, 2), (1100, 4), (1104, 4),
                                    (1304, 4), (34, 1), (100, 2), (120, 2), (162, 4), (170, 2),
                                    (184, 6), (599, 1), (1020, 72), (1108, 16), (1124, 72),
                                    (1414, 1), (1416, 2), (1421, 2), (1426, 1), (1702, 1),
                                    (1704, 2))
                 for k in range(n)}


def changed_bytes(before, after):
    return [a for a in range(len(before.memory))
            if before.memory[a] != after.memory[a] and a not in MACHINE_BYTES]


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_until(condition, what, timeout=30, interval=0.05):
    """Polls a condition until it holds; returns what it returned."""
    deadline = time.time() + timeout
    while True:
        result = condition()
        if result:
            return result
        check(time.time() < deadline,
              "timed out waiting for " + (what() if callable(what) else what))
        time.sleep(interval)


def spawn(command, **kwargs):
    """A child the kernel ends when this runner dies: a CTest timeout kills the runner only,
    and an Xvfb left holding CTest's output would keep CTest waiting."""
    return subprocess.Popen(command, stdout=kwargs.pop("stdout", subprocess.DEVNULL),
                            preexec_fn=lambda: ctypes.CDLL(None).prctl(1, signal.SIGTERM),
                            **kwargs)  # (1: PR_SET_PDEATHSIG)


def scratch(prefix, cleanups):
    """A folder of the scenario's own, removed when the scenario ends."""
    folder = tempfile.mkdtemp(prefix="kalvex-%s-" % prefix)
    cleanups.append(lambda: shutil.rmtree(folder, ignore_errors=True))
    return folder


class Display:
    """A private Xvfb with openbox on it, shared by the scenarios of a group in turn."""

    def __enter__(self):
        if not shutil.which("Xvfb"):
            raise Skip("Xvfb is not installed")
        for tool in ("openbox", "xdotool"):
            check(shutil.which(tool), tool + " is not installed (scripts/setup.sh installs it)")
        read_fd, write_fd = os.pipe()
        self.xvfb = spawn(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
            pass_fds=[write_fd], stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd) as f:
            number = f.readline().strip()
        check(number, "Xvfb did not start")
        self.env = dict(os.environ, DISPLAY=":" + number, QT_QPA_PLATFORM="xcb")
        self.env.pop("WAYLAND_DISPLAY", None)
        self.wm, self.left = None, []
        self.processes, self.cleanups = [], []
        self.clean()
        return self

    def xdo(self, *args):
        return subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True,
                              timeout=30)

    def clean(self):
        """Leaves the screen as a new one for the next scenario: its programs ended, its folders
        removed, no window left, no mouse button held, openbox running and managing."""
        for p in self.processes:
            stop(p)
        for cleanup in self.cleanups:
            cleanup()
        self.processes, self.cleanups = [], []
        self.xdo("mouseup", "1")

        # Until openbox has announced itself, xdotool says it "claims not to support" active
        # windows.
        def ready():
            if self.wm is None or self.wm.poll() is not None:
                self.wm = spawn(["openbox", "--sm-disable"], env=self.env,
                                stderr=subprocess.DEVNULL)
            self.left = self.xdo("search", "--onlyvisible", "--name", ".").stdout.split()
            return "claims not to support" not in self.xdo("getactivewindow").stderr \
                and not self.left
        wait_until(ready, lambda: "openbox managing an empty screen (windows left: %s)" % self.left)

    def __exit__(self, *exc):
        self.clean()
        for p in (self.wm, self.xvfb):
            stop(p, 5)


def stop(process, grace=10):
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(grace)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


class Widget:
    def __init__(self, fields):
        self.name = fields[0]
        self.x, self.y, self.w, self.h = (int(v) for v in fields[1:5])
        self.text = fields[5] if len(fields) > 5 else ""

    def centre(self):
        return self.x + self.w // 2, self.y + self.h // 2


class Snapshot:
    """What the program showed and what the board held at one moment (at its end: no widgets)."""

    def __init__(self, dump_text, widgets_text="-\t-"):
        lines = dump_text.splitlines()
        self.memory = bytes.fromhex(lines[0].split()[1])
        self.writes = [tuple(int(v) for v in l.split()[1:]) for l in lines[1:]
                       if l.startswith("write ")]
        self.program_mode = "mode program" in lines
        wl = widgets_text.splitlines()
        self.focus = wl[0].split("\t")[1]
        self.widgets = [Widget(l.split("\t")) for l in wl[1:]]

    def word(self, address):
        return self.memory[address] + 256 * self.memory[address + 1]

    def dword(self, address):
        """A D value: two words, the high one counting ten thousands."""
        return self.word(address) + 10000 * self.word(address + 2)

    def find(self, name=None, text=None):
        return [w for w in self.widgets
                if (name is None or w.name == name) and (text is None or w.text == text)]

    def one(self, name=None, text=None):
        found = self.find(name, text)
        check(found, "no visible widget %s %s" % (name or "", text or ""))
        return found[0]

    def shown(self, name):
        return bool(self.find(name))

    def boxes(self):
        return self.find("QMessageBox")

    def mode(self, mode):
        return self.find("MODE", mode)


class Kalvex:
    """One run of the program on its simulator."""

    def __init__(self, display, binary, *args, state=None, config=None, env=None, home=None,
                 start_box=False):
        """config: the folder of the program's remembered settings (default: a fresh one).
        start_box: a box comes up at start, before the main window can be activated.
        Started --online, it is waited for online; that snapshot is `first`."""
        self.display = display
        self.dir = scratch("scenario", display.cleanups)
        self.dump_path = os.path.join(self.dir, "dump")
        command = [binary, "--simulate", *args]
        if state:
            command += ["--state", self.write_file("board.state", state)]
        if home:
            command += ["--home", home]
        # The machine history goes to XDG_DATA_HOME: never the real home's.
        env = dict(display.env, KALVEX_SIM_DUMP=self.dump_path, XDG_CONFIG_HOME=config or self.dir,
                   **dict({"XDG_DATA_HOME": self.dir}, **(env or {})))
        self.process = spawn(command, env=env, stderr=open(os.path.join(self.dir, "stderr"), "w"))
        display.processes.append(self.process)

        # Polled, not --sync: a search that starts as the window maps may wait for ever.
        def mapped():
            self._check_running()
            return self.xdo("search", "--onlyvisible", "--name", "^KALVEX - ").split()
        self.window = wait_until(mapped, "the main window to be mapped", timeout=90)[0]
        if not start_box:
            self.activate()
            self.started = self.wait_for(lambda s: s.shown("frmMDIMain") and s.focus != "-"
                                         and s, "the main window")
        if "--online" in args and not start_box:
            self.first = self.wait_for(lambda s: s.mode("ONLINE") and s, "online")

    def write_file(self, name, text):
        path = os.path.join(self.dir, name)
        with open(path, "w") as f:
            f.write(text)
        return path

    def activate(self):
        """Asks openbox for the main window until a window of the program is the active one: a
        request made before openbox manages the new window is dropped, and a box the program
        raises at its first reads (a faulted board) takes the activation from the main window."""
        def active():
            if self.xdo("getactivewindow", "getwindowpid").strip() == str(self.process.pid):
                return True
            self.xdo("windowactivate", self.window)
            return False
        wait_until(active, "a window of the program to be active")

    def close(self):
        stop(self.process)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def xdo(self, *args):
        return self.display.xdo(*args).stdout

    # Real input. xdotool returns once the X server has delivered the input; settle() then
    # waits until the program has handled it.
    def key(self, *keys, delay=40):
        self.xdo("key", "--delay", str(delay), *keys)
        self.settle()

    def type(self, text):
        self.xdo("type", "--delay", "40", text)
        self.settle()

    def click(self, x, y, button=1):
        # (mousemove --sync would wait forever when the pointer is already there; moved first,
        # so the widget under it sees the pointer enter before the press)
        self.mouse_down(x, y, button, "click")

    def click_widget(self, widget):
        self.click(*widget.centre())

    def mouse_down(self, x, y, button=1, action="mousedown"):
        self.xdo("mousemove", str(x), str(y))
        self.settle()
        self.xdo(action, str(button))
        self.settle()

    def mouse_up(self):
        self.xdo("mouseup", "1")
        self.settle()

    def settle(self):
        """Two round trips through the program's event loop (a dump each): the input and the
        signals sent before have been handled. Nothing to wait for once the program has ended."""
        for _ in range(2):
            if self.process.poll() is not None:
                return
            try:
                self.snapshot()
            except Failure:
                if self.process.poll() is None:
                    raise

    def set_board(self, state):
        """Changes the simulated board as its own program would (state-file lines), before the
        next snapshot."""
        with open(self.dump_path + ".state", "w") as f:
            f.write(state)
        self.snapshot()

    def toggle_cable(self):
        """Silences the simulated board, or makes it answer again."""
        self.process.send_signal(signal.SIGUSR2)
        self.settle()  # (a dump requested right after may be handled first)

    def menu(self, title, item):
        """Opens a menu with the mouse and chooses an item."""
        self.click_widget(self.snapshot().one("QMenuBar:" + title))
        entry = self.wait_for(lambda s: [w for w in s.widgets if w.name.endswith(":" + item)
                                         and not w.name.startswith("QMenuBar")], "menu item " + item)
        self.click_widget(entry[0])

    def go_offline(self):
        self.key("F4")
        return self.wait_for(lambda s: s.mode("OFFLINE") and s, "offline")

    def go_online(self, condition=lambda s: True, what="online again"):
        self.key("F3")
        return self.wait_for(lambda s: s.mode("ONLINE") and condition(s) and s, what)

    def save_as(self, path, timeout=60):
        """The file dialog: the path typed and accepted."""
        self.wait_for(lambda s: s.focus == "fileNameEdit", "the file dialog", timeout)
        self.key("ctrl+a")
        self.type(path)
        self.key("Return")

    def box(self, what, timeout=30):
        """The text of the box that comes."""
        return self.wait_for(lambda s: s.boxes() and s.boxes()[0].text, what, timeout)

    def answer(self, key="Return"):
        """Answers the box shown and waits until it has gone: a button pressed by a key clicks a
        moment later, and the next box, even one with the same text, is a new window."""
        shown = [(b.text, b.w, b.h) for b in self.snapshot().boxes()]
        window = self.xdo("getactivewindow").strip()
        self.key(key)
        wait_until(lambda: [(b.text, b.w, b.h) for b in self.snapshot().boxes()] != shown
                   or self.xdo("getactivewindow").strip() != window, "the box answered")

    def dismiss_boxes(self):
        """Answers every message box shown with Return; returns their texts."""
        texts = []
        for _ in range(20):
            boxes = self.snapshot().boxes()
            if not boxes:
                break
            texts.append(boxes[0].text)
            self.answer()
        return texts

    def cancel_retry(self):
        """The link's retry box cancelled (the link is lost), and any box after it answered:
        the program offline."""
        self.box("the link's retry box")
        self.answer("Escape")
        self.dismiss_boxes()
        return self.wait_for(lambda s: s.mode("OFFLINE") and s, "offline")

    # Inspection.
    def snapshot(self):
        for f in (self.dump_path, self.dump_path + ".widgets"):
            if os.path.exists(f):
                os.remove(f)
        self._check_running()
        self.process.send_signal(signal.SIGUSR1)
        # (the memory alone is also dumped as the program ends)
        wait_until(lambda: self._check_running() or os.path.exists(self.dump_path)
                   and os.path.exists(self.dump_path + ".widgets"),
                   "a dump (is the program blocked?)", interval=0.01)
        with open(self.dump_path) as d, open(self.dump_path + ".widgets") as w:
            return Snapshot(d.read(), w.read())

    def final(self):
        """The board as the program left it (dumped at its end)."""
        with open(self.dump_path) as f:
            return Snapshot(f.read())

    def _check_running(self):
        if self.process.poll() is not None:
            with open(os.path.join(self.dir, "stderr")) as f:
                tail = f.read()[-2000:]
            raise Failure("kalvex ended (status %s): %s" % (self.process.returncode, tail))

    def wait_for(self, condition, what, timeout=30):
        return wait_until(lambda: condition(self.snapshot()), what, timeout)

    def eventually(self, condition, timeout=30):
        """The first snapshot that meets the condition, or the last one at the deadline (for a
        check that then says what was there)."""
        deadline = time.time() + timeout
        while True:
            s = self.snapshot()
            if condition(s) or time.time() > deadline:
                return s
            time.sleep(0.05)

    def hold(self, condition, what, seconds, turns=10):
        """Watches that the condition holds in every snapshot for the given time and at least
        the given number of turns of the program's event loop (what must not happen, such as
        a repeating arrow, shows in that time); returns the last snapshot."""
        deadline = time.time() + seconds
        seen = 0
        while True:
            s = self.snapshot()
            check(condition(s), what)
            seen += 1
            if seen >= turns and time.time() > deadline:
                return s
            time.sleep(0.05)
