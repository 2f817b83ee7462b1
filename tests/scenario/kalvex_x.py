"""kalvex on its simulator under Xvfb + openbox, by xdotool; SIGUSR1 dumps board and widgets."""

import ctypes
import os
import shutil
import signal
import subprocess
import tempfile
import time
from collections import namedtuple

NORMAL = "System Message:  All Faults Normal"
ALARMS = "System Message:  Alarm(s) Active in P9100"


# Board cells the running machine changes itself (speeds, counters, I/O, trips, DF1 traffic...).
MACHINE_BYTES = {a + k for a, n in (
    (112, 2), (520, 4), (526, 2), (180, 2), (1100, 4), (1104, 4), (1304, 4), (34, 1), (100, 2),
    (120, 2), (162, 4), (170, 2), (184, 6), (599, 1), (1020, 72), (1108, 16), (1124, 72),
    (1414, 1), (1416, 2), (1421, 2), (1426, 1), (1702, 1), (1704, 2)) for k in range(n)}


def changed_bytes(before, after):
    return [a for a in range(len(before.memory))
            if before.memory[a] != after.memory[a] and a not in MACHINE_BYTES]


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def wait_until(condition, what, timeout=30, interval=0.05):
    deadline = time.time() + timeout
    while not (result := condition()):
        check(time.time() < deadline, "timed out waiting for " + what)
        time.sleep(interval)
    return result


def spawn(command, **kwargs):  # a child that ends with this runner (PR_SET_PDEATHSIG)
    kwargs.setdefault("stdout", subprocess.DEVNULL)
    return subprocess.Popen(command, preexec_fn=lambda: ctypes.CDLL(None).prctl(1, signal.SIGTERM),
                            **kwargs)


def stop(process, grace=10):
    process.terminate()
    try:
        process.wait(grace)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


def read(path, mode="rb"):  # (None when there is no such file)
    if os.path.exists(path):
        with open(path, mode) as f:
            return f.read()


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write(text)
    return path


class Screen:  # a private Xvfb with openbox, shared by a group's scenarios in turn

    def __init__(self, binary):
        self.binary, self.wm, self.processes, self.cleanups = binary, None, [], []
        self.cli = os.path.join(os.path.dirname(binary), "kalvex-cli")
        self.start = lambda *args, **kwargs: Kalvex(self, *args, **kwargs)

    def __enter__(self):
        for tool in ("openbox", "xdotool"):
            check(shutil.which(tool), tool + " is not installed (scripts/setup.sh installs it)")
        read_fd, write_fd = os.pipe()
        self.xvfb = spawn(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x1024x24",
                           "-nolisten", "tcp"], pass_fds=[write_fd], stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd) as f:
            number = f.readline().strip()
        check(number, "Xvfb did not start")
        self.env = dict(os.environ, DISPLAY=":" + number, QT_QPA_PLATFORM="xcb")
        self.env.pop("WAYLAND_DISPLAY", None)
        self.clean()
        return self

    def __exit__(self, *exc):
        self.clean()
        for p in (self.wm, self.xvfb):
            stop(p, 5)

    def xdo(self, *args):
        return subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True,
                              timeout=30)

    def scratch(self, prefix):  # (removed when the scenario ends)
        folder = tempfile.mkdtemp(prefix="kalvex-%s-" % prefix)
        self.cleanups.append(lambda: shutil.rmtree(folder, ignore_errors=True))
        return folder

    def clean(self):  # no program, folder, window or held button left for the next scenario
        for p in self.processes:
            stop(p)
        for cleanup in self.cleanups:
            cleanup()
        self.processes, self.cleanups = [], []
        self.xdo("mouseup", "1")

        def ready():  # (before openbox announces itself, xdotool "claims not to support" it)
            if self.wm is None or self.wm.poll() is not None:
                self.wm = spawn(["openbox", "--sm-disable"], env=self.env,
                                stderr=subprocess.DEVNULL)
            return "claims not to support" not in self.xdo("getactivewindow").stderr \
                and not self.xdo("search", "--onlyvisible", "--name", ".").stdout
        wait_until(ready, "openbox on an empty screen")


class Widget(namedtuple("Widget", "name x y w h text")):
    def centre(self):
        return self.x + self.w // 2, self.y + self.h // 2


class Snapshot:  # the board and the widgets shown at one moment (at the end: no widgets)

    def __init__(self, dump_text, widgets_text="-\t-"):
        lines, wl = dump_text.splitlines(), widgets_text.splitlines()
        self.memory = bytes.fromhex(lines[0].split()[1])
        self.writes = [tuple(map(int, l.split()[1:])) for l in lines if l.startswith("write ")]
        self.program_mode = "mode program" in lines
        self.focus = wl[0].split("\t")[1]
        self.widgets = [Widget(f[0], *map(int, f[1:5]), f[5] if len(f) > 5 else "")
                        for f in (l.split("\t") for l in wl[1:])]

    def word(self, address):
        return self.memory[address] + 256 * self.memory[address + 1]

    def dword(self, address):  # (the high word counts ten thousands)
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

    def summary(self):
        windows = sorted({w.name for w in self.widgets if w.name.startswith("frm")})
        return "shown: %s, boxes: %s, focus: %s" % (
            windows, [b.text[:80] for b in self.boxes()], self.focus)


class Kalvex:  # one run on its simulator; start_box: a box comes before the main window

    def __init__(self, screen, *args, state=None, config=None, env=None, start_box=False):
        self.screen, self.dir = screen, screen.scratch("scenario")
        self.dump_path = os.path.join(self.dir, "dump")
        command = [screen.binary, "--simulate", *args]
        if state:
            command += ["--state", self.write_file("board.state", state)]
        # The machine history goes to XDG_DATA_HOME: never the real home's.
        env = dict(screen.env, KALVEX_SIM_DUMP=self.dump_path, XDG_CONFIG_HOME=config or self.dir,
                   **dict({"XDG_DATA_HOME": self.dir}, **(env or {})))
        self.process = spawn(command, env=env, stderr=open(os.path.join(self.dir, "stderr"), "w"))
        screen.processes.append(self.process)

        def mapped():  # (polled, not --sync: a search started as the window maps may never end)
            self._check_running()
            return self.xdo("search", "--onlyvisible", "--name", "^KALVEX - ").split()
        try:
            self.window = wait_until(mapped, "the main window to be mapped", timeout=90)[0]
        except AssertionError as e:  # say what the screen and the program showed instead
            names = [self.xdo("getwindowname", w).strip()
                     for w in self.xdo("search", "--onlyvisible", "--name", ".").split()]
            raise AssertionError("%s; windows shown: %s; stderr: %s" % (
                e, names, read(self.dir + "/stderr", "r")[-2000:])) from None
        if not start_box:
            self.activate()
            self.started = self.wait_for(lambda s: s.shown("frmMDIMain") and s.focus != "-"
                                         and s, "the main window")
            if "--online" in args:
                self.first = self.wait_for(lambda s: s.mode("ONLINE") and s, "online")

    def write_file(self, name, text):
        return write(os.path.join(self.dir, name), text)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        stop(self.process)

    def xdo(self, *args):
        return self.screen.xdo(*args).stdout

    # xdotool returns once the X server has delivered the input; then the program handles it.
    def key(self, *keys, delay=40):
        self.xdo("key", "--delay", str(delay), *keys)
        self.settle()

    def click(self, x, y, button=1, action="click"):
        # (moved first, not --sync: it never returns when the pointer is already there)
        self.xdo("mousemove", str(x), str(y))
        self.settle()
        self.xdo(action, str(button))
        self.settle()

    def click_widget(self, widget, action="click"):
        self.click(*widget.centre(), action=action)

    def mouse_up(self):
        self.xdo("mouseup", "1")
        self.settle()

    def settle(self):  # two round trips through the event loop, unless the program has ended
        for _ in range(2):
            try:
                self.snapshot()
            except AssertionError:
                if self.process.poll() is None:
                    raise
                return

    def set_board(self, state):  # (state-file lines, as the board's own program would change it)
        write(self.dump_path + ".state", state)
        self.snapshot()

    def toggle_cable(self):
        self.process.send_signal(signal.SIGUSR2)
        self.settle()  # (a dump requested right after may be handled first)

    def menu(self, title, item):
        self.click_widget(self.snapshot().one("QMenuBar:" + title))
        self.click_widget(self.wait_for(lambda s: [w for w in s.widgets if w.name.endswith(
            ":" + item) and not w.name.startswith("QMenuBar")], "menu item " + item)[0])

    def go_offline(self):
        self.key("F4")
        return self.wait_for(lambda s: s.mode("OFFLINE") and s, "offline")

    def go_online(self, condition=lambda s: True):
        self.key("F3")
        return self.wait_for(lambda s: s.mode("ONLINE") and condition(s) and s, "online again")

    def enter(self, text, *keys):
        self.key("ctrl+a")
        self.xdo("type", "--delay", "40", text)
        self.settle()
        if keys:
            self.key(*keys)

    def save_as(self, path):
        self.wait_for(lambda s: s.focus == "fileNameEdit", "the file dialog", 60)
        self.enter(path, "Return")

    def box(self, what, like="", timeout=30):  # the text of the box that comes
        return self.wait_for(lambda s: next((b.text for b in s.boxes() if like in b.text), None),
                             what, timeout)

    def through_boxes(self, condition, what, key="Return"):
        def met():
            s = self.snapshot()
            if condition(s):
                return s
            if s.boxes() or s.shown("FaultBox"):
                self.key(key)
        return wait_until(met, what)

    def reply(self, what, key="Return"):
        text = self.box(what)
        self.answer(key)
        return text

    def answer(self, key="Return"):  # and waits until the box has gone (the next is a new window)
        def shown():
            return [(b.text, b.w, b.h) for b in self.snapshot().boxes()], \
                self.xdo("getactivewindow").strip()
        before = shown()
        self.other_window_active("the box")
        self.key(key)
        wait_until(lambda: shown() != before, "the box answered")

    # Until a window of the program is active, the main window is activated, as a click would.
    # (Openbox drops a request made before it manages the window; under load it has been seen
    # to give no window the focus after a box and a dialog closed together.)
    def activate(self):
        def active():
            mine = self.xdo("getactivewindow", "getwindowpid").strip() == str(self.process.pid)
            return mine or self.xdo("windowactivate", self.window) and False
        wait_until(active, "a window of the program to be active")

    # (a key pressed before openbox has given a new window the focus goes to the main window)
    def other_window_active(self, what):
        wait_until(lambda: self.xdo("getactivewindow").strip() != self.window, what + " active")

    def dialog(self, name, what, timeout=30):  # shown, and active for the keys that follow
        s = self.wait_for(lambda s: s.shown(name) and s, what, timeout)
        self.other_window_active(what)
        return s

    def calm(self, *keys, delay=20):
        if keys:
            self.key(*keys, delay=delay)
        boxes = self.dismiss_boxes()
        check(not boxes, "boxes after %s: %s" % (" ".join(keys)[:80], boxes))

    def dismiss_boxes(self):
        texts = []
        while len(texts) < 20 and (boxes := self.snapshot().boxes()):
            texts.append(boxes[0].text)
            self.answer()
        return texts

    def cancel_retry(self):  # (the link is lost; any box after it answered)
        self.reply("the link's retry box", "Escape")
        self.dismiss_boxes()
        return self.wait_for(lambda s: s.mode("OFFLINE") and s, "offline")

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
        return Snapshot(read(self.dump_path, "r"), read(self.dump_path + ".widgets", "r"))

    def final(self):  # the board as the program left it
        return Snapshot(read(self.dump_path, "r"))

    def _check_running(self):
        if self.process.poll() is not None:
            raise AssertionError("kalvex ended (status %s): %s" % (
                self.process.returncode, read(os.path.join(self.dir, "stderr"), "r")[-2000:]))

    def wait_for(self, condition, what, timeout=30):  # a time-out says what was shown last
        last = [None]

        def met():
            last[0] = self.snapshot()
            return condition(last[0])
        try:
            return wait_until(met, what, timeout)
        except AssertionError as e:
            raise AssertionError("%s; %s" % (e, last[0].summary() if last[0] else "")) from None

    def hold(self, condition, what, seconds, turns=10):  # in every snapshot for seconds and turns
        deadline, seen = time.time() + seconds, 0
        while True:
            s = self.snapshot()
            check(condition(s), what)
            seen += 1
            if seen >= turns and time.time() > deadline:
                return s
            time.sleep(0.05)
