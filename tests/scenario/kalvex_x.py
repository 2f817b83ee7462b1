"""Runs the built kalvex on the simulator under Xvfb with openbox and drives it with real X
input (xdotool). The program is inspected through KALVEX_SIM_DUMP: on SIGUSR1 it writes the
simulator's memory and the memory writes it received, and a map of the visible widgets."""

import os
import shutil
import signal
import subprocess
import tempfile
import time

SKIP = 77  # CTest's SKIP_RETURN_CODE: no X server to run on


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


def wait_until(condition, what, timeout=30):
    """Polls a condition until it holds; a deadline generous enough for a loaded machine."""
    deadline = time.time() + timeout
    while True:
        result = condition()
        if result:
            return result
        check(time.time() < deadline, "timed out waiting for " + what)
        time.sleep(0.05)


class Display:
    """A private Xvfb with openbox on it."""

    def __enter__(self):
        if not shutil.which("Xvfb"):
            raise Skip("Xvfb is not installed")
        for tool in ("openbox", "xdotool"):
            if not shutil.which(tool):
                raise Failure(tool + " is not installed (scripts/setup.sh installs it)")
        read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
            pass_fds=[write_fd], stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd) as f:
            number = f.readline().strip()
        if not number:
            raise Failure("Xvfb did not start")
        self.name = ":" + number
        self.env = dict(os.environ, DISPLAY=self.name, QT_QPA_PLATFORM="xcb")
        self.env.pop("WAYLAND_DISPLAY", None)
        self.wm = subprocess.Popen(["openbox", "--sm-disable"], env=self.env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_until(self._wm_ready, "openbox to manage the screen")
        return self

    def _wm_ready(self):
        # Until the window manager has announced itself, xdotool says it "claims not to support"
        # active windows; afterwards there is simply none active yet.
        check(self.wm.poll() is None, "openbox ended")
        r = subprocess.run(["xdotool", "getactivewindow"], env=self.env, capture_output=True,
                           text=True, timeout=30)
        return "claims not to support" not in r.stderr

    def __exit__(self, *exc):
        for p in (self.wm, self.xvfb):
            p.terminate()
            try:
                p.wait(5)
            except subprocess.TimeoutExpired:
                p.kill()


class Widget:
    def __init__(self, fields):
        self.name = fields[0]
        self.x, self.y, self.w, self.h = (int(v) for v in fields[1:5])
        self.text = fields[5] if len(fields) > 5 else ""

    def centre(self):
        return self.x + self.w // 2, self.y + self.h // 2


class Snapshot:
    """What the program showed and what the board held at one moment."""

    def __init__(self, dump_text, widgets_text):
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

    def spin_of(self, field):
        """The up/down control beside a text box (by name, or by place for unnamed ones)."""
        text = self.one(field)
        named = self.find(field.replace("txt", "upd"))
        if named:
            return named[0]
        spins = [w for w in self.widgets if w.name.endswith("UpDown") and abs(w.y - text.y) < 6
                 and w.x >= text.x + text.w - 2]
        check(spins, "no spin control beside " + field)
        return min(spins, key=lambda w: w.x)


class Kalvex:
    """One run of the program on its simulator."""

    def __init__(self, display, binary, *args, state=None, config=None, env=None, home=None,
                 start_box=False):
        """config: the folder of the program's remembered settings (default: a fresh one).
        start_box: a box comes up at start, before the main window can be activated."""
        self.display = display
        self.dir = tempfile.mkdtemp(prefix="kalvex-scenario-")
        self.home = home
        self.dump_path = os.path.join(self.dir, "dump")
        command = [binary, "--simulate", *args]
        if state:
            path = os.path.join(self.dir, "board.state")
            with open(path, "w") as f:
                f.write(state)
            command += ["--state", path]
        if home:
            command += ["--home", home]
        # The machine history goes to XDG_DATA_HOME: never the real home's.
        env = dict(display.env, KALVEX_SIM_DUMP=self.dump_path, XDG_CONFIG_HOME=config or self.dir,
                   **dict({"XDG_DATA_HOME": self.dir}, **(env or {})))
        self.process = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL,
                                        stderr=open(os.path.join(self.dir, "stderr"), "w"))
        # Polled, not --sync: a search that starts as the window maps may wait for ever.
        def mapped():
            check(self.process.poll() is None, "kalvex ended at start (see its stderr)")
            return self.xdo("search", "--onlyvisible", "--name", "^KALVEX - ").split()
        self.window = wait_until(mapped, "the main window to be mapped", timeout=90)[0]
        if not start_box:
            self.activate()
            self.wait_for(lambda s: s.shown("frmMDIMain") and s.focus != "-", "the main window")

    def activate(self):
        """Asks openbox for the main window until it is the active one: a request made before
        openbox manages the newly mapped window is dropped, so one --sync request may wait
        for ever on a loaded machine."""
        def active():
            if self.xdo("getactivewindow").strip() == self.window:
                return True
            self.xdo("windowactivate", self.window)
            return False
        wait_until(active, "the main window to be active")

    def close(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
        shutil.rmtree(self.dir, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def xdo(self, *args, timeout=30):
        r = subprocess.run(["xdotool", *args], env=self.display.env, capture_output=True,
                           text=True, timeout=timeout)
        return r.stdout

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
        self.xdo("mousemove", str(x), str(y))
        self.settle()
        self.xdo("click", str(button))
        self.settle()

    def click_widget(self, widget):
        self.click(*widget.centre())

    def mouse_down(self, widget):
        self.xdo("mousemove", *(str(v) for v in widget.centre()))
        self.settle()
        self.xdo("mousedown", "1")
        self.settle()

    def mouse_up(self):
        self.xdo("mouseup", "1")
        self.settle()

    def settle(self):
        """Two round trips through the program's event loop (a dump each): the input and the
        signals sent before have been handled, however slow the machine. Nothing to wait for
        once the program has ended."""
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
        entry = self.wait_for(lambda s: s.find(text=None, name=self._menu_item(s, item)),
                              "menu item " + item)
        self.click_widget(entry[0])

    @staticmethod
    def _menu_item(snapshot, item):
        for w in snapshot.widgets:
            if w.name.endswith(":" + item) and not w.name.startswith("QMenuBar"):
                return w.name
        return "-"

    # Inspection.
    def snapshot(self):
        for f in (self.dump_path, self.dump_path + ".widgets"):
            if os.path.exists(f):
                os.remove(f)
        self._check_running()
        self.process.send_signal(signal.SIGUSR1)
        deadline = time.time() + 30
        # (the memory alone is also dumped as the program ends)
        while not os.path.exists(self.dump_path) or not os.path.exists(self.dump_path + ".widgets"):
            self._check_running()
            check(time.time() < deadline, "kalvex wrote no dump (is the program blocked?)")
            time.sleep(0.01)
        with open(self.dump_path) as d, open(self.dump_path + ".widgets") as w:
            return Snapshot(d.read(), w.read())

    def _check_running(self):
        if self.process.poll() is not None:
            with open(os.path.join(self.dir, "stderr")) as f:
                tail = f.read()[-2000:]
            raise Failure("kalvex ended (status %s): %s" % (self.process.returncode, tail))

    def wait_for(self, condition, what, timeout=30):
        return wait_until(lambda: condition(self.snapshot()), what, timeout)

    def eventually(self, condition, timeout=15):
        """The first snapshot that meets the condition, or the last one after the timeout."""
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

    def dismiss_boxes(self):
        """Answers every message box shown with Return; returns their texts."""
        texts = []
        for _ in range(20):
            boxes = self.snapshot().boxes()
            if not boxes:
                break
            texts.append(boxes[0].text)
            self.key("Return")
        return texts
