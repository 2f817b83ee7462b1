"""Real-input scenarios of a signal during a download: the program stops at a safe point, and
the next start says what the board holds."""

import os
import signal
import tempfile

from kalvex_x import Kalvex, check
from board_scenarios import program_set

OLD, NEW = 61614, 350  # a ductor word on the board, and the data set's default
LABEL_WORDS = [3110 + 30 * label + 2 * d for label in range(100) for d in range(8)]
IDENT = range(61424, 61434)


def marker(config):
    return os.path.join(config, "KALVEX", "TransferInProgress.txt")


def memory_at_exit(k):
    """The board's memory and program mode as the program left them (dumped at its end)."""
    with open(k.dump_path) as f:
        lines = f.read().splitlines()
    return bytes.fromhex(lines[0].split()[1]), "mode program" in lines


def word(memory, address):
    return memory[address] + 256 * memory[address + 1]


def stop_with(k, sig, status):
    k.process.send_signal(sig)
    code = k.process.wait(60)
    check(code == status, "exit status %s, expected %d" % (code, status))


def next_start_says(display, kalvex, config, *phrases):
    """The next start's box names the interrupted download; its OK removes the marker."""
    with Kalvex(display, kalvex, config=config, start_box=True) as k:
        text = k.wait_for(lambda s: s.boxes() and s.boxes()[0].text, "the start's box")
        for p in phrases:
            check(p in text, "the start's box lacks %r: %r" % (p, text))
        check(not k.snapshot().writes, "something was sent before the box was answered")
        k.key("Return")
        k.wait_for(lambda s: not os.path.exists(marker(config)), "the marker removed")


def download_all(display, kalvex, config):
    state = "".join("W%d = %d\n" % (a, OLD) for a in LABEL_WORDS)
    k = Kalvex(display, kalvex, "--online", "--baud", "9600", state=state, config=config)
    k.wait_for(lambda s: s.find("MODE", "ONLINE"), "online")
    k.key("alt+f", "n", "a")
    k.wait_for(lambda s: s.boxes(), "the download question")
    k.key("Return")
    k.wait_for(lambda s: any(a >= 3300 for a, _ in s.writes), "label words sent", timeout=120)
    check(os.path.exists(marker(config)), "no marker while the download runs")
    return k


def sigterm_during_download_all(display, kalvex):
    """SIGTERM during Download All at 9600 baud: exit 143, every ductor word holds its old or
    its new value, and the next start says where the download stopped."""
    config = tempfile.mkdtemp(prefix="kalvex-config-")
    k = download_all(display, kalvex, config)
    try:
        stop_with(k, signal.SIGTERM, 143)
        memory, _ = memory_at_exit(k)
    finally:
        k.close()
    words = [word(memory, a) for a in LABEL_WORDS]
    torn = [(a, w) for a, w in zip(LABEL_WORDS, words) if w not in (OLD, NEW)]
    check(not torn, "words neither old nor new: %s" % torn[:8])
    check(NEW in words and OLD in words, "the download was not stopped halfway")
    next_start_says(display, kalvex, config, "A download of All Data", "was stopped after item",
                    "of 1747")


def sigkill_during_download_all(display, kalvex):
    """SIGKILL gives no clean path: the next start says the download was interrupted from the
    marker it left."""
    config = tempfile.mkdtemp(prefix="kalvex-config-")
    k = download_all(display, kalvex, config)
    try:
        stop_with(k, signal.SIGKILL, -signal.SIGKILL)
    finally:
        k.close()
    next_start_says(display, kalvex, config, "A download of All Data", "was interrupted after item",
                    "neither")


def sigterm_during_program_download(display, kalvex):
    """SIGTERM while records stream at 9600 baud: exit 143 with the board out of program mode
    and the ident untouched; the next start names the interrupted download."""
    config = tempfile.mkdtemp(prefix="kalvex-config-")
    k = Kalvex(display, kalvex, "--online", "--baud", "9600", config=config)
    try:
        path = program_set(k)
        with open(path[:-3] + "hex", "w") as f:
            for r in range(1500):
                f.write(":10%04X00%s\r\n" % (0x4000 + 16 * r, "A5" * 16))
            f.write(":00000001FF\r\n")
        before = k.wait_for(lambda s: s.find("MODE", "ONLINE") and s, "online")
        k.key("alt+f", "d")
        k.wait_for(lambda s: s.focus == "fileNameEdit", "the file dialog")
        k.type(path)
        k.key("Return")
        for what in ("the download question", "the ident box"):
            k.wait_for(lambda s: s.boxes(), what, timeout=30)
            k.key("Return")
        k.wait_for(lambda s: s.program_mode and s.memory[0x4100] == 0xA5, "records sent",
                   timeout=60)
        stop_with(k, signal.SIGTERM, 143)
        memory, program_mode = memory_at_exit(k)
    finally:
        k.close()
    check(not program_mode, "the board was left in program mode")
    check(memory[0x4000 + 16 * 1499] != 0xA5, "the download was not stopped halfway")
    check([memory[a] for a in IDENT] == [before.memory[a] for a in IDENT],
          "the ident block changed")
    next_start_says(display, kalvex, config, "program KVX91D07 (LINE1.ovp)", "was stopped after record",
                    "partial program")


SIGNAL_SCENARIOS = [sigterm_during_download_all, sigkill_during_download_all,
                    sigterm_during_program_download]
