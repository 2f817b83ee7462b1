"""A signal during a download: a stop at a safe point; the next start says what the board holds."""

import os
import signal

from kalvex_x import check
from board_scenarios import program_set

OLD, NEW = 61614, 350  # a ductor word on the board, and the data set's default
LABEL_WORDS = [3110 + 30 * label + 2 * d for label in range(100) for d in range(8)]
IDENT = range(61424, 61434)


def marker(config):
    return os.path.join(config, "KALVEX", "TransferInProgress.txt")


def stop_with(k, sig, status):
    k.process.send_signal(sig)
    code = k.process.wait(60)
    check(code == status, "exit status %s, expected %d" % (code, status))


def next_start_says(screen, config, *phrases):
    """The next start's box names the interrupted download; its OK removes the marker."""
    with screen.start(config=config, start_box=True) as k:
        s = k.wait_for(lambda s: s.boxes() and s, "the start's box")
        missing = [p for p in phrases if p not in s.boxes()[0].text]
        check(not missing, "the start's box lacks %r: %r" % (missing, s.boxes()[0].text))
        check(not s.writes, "something was sent before the box was answered")
        k.key("Return")
        k.wait_for(lambda s: not os.path.exists(marker(config)), "the marker removed")


def download_all(screen, sig, status, *phrases):
    """Download All at 9600 baud stopped by a signal; then the next start. Returns the run."""
    config = screen.scratch("config")
    state = "".join("W%d = %d\n" % (a, OLD) for a in LABEL_WORDS)
    with screen.start("--online", "--baud", "9600", state=state, config=config) as k:
        k.key("alt+f", "n", "a")
        k.reply("the download question")
        k.wait_for(lambda s: any(a >= 3300 for a, _ in s.writes), "label words sent", timeout=120)
        check(os.path.exists(marker(config)), "no marker while the download runs")
        stop_with(k, sig, status)
    next_start_says(screen, config, "A download of All Data", *phrases)
    return k


def sigterm_and_sigkill_during_download_all(screen):
    """SIGTERM: exit 143, no word torn, the next start says where; SIGKILL: it was interrupted."""
    k = download_all(screen, signal.SIGTERM, 143, "was stopped after item", "of 1747")
    words = [k.final().word(a) for a in LABEL_WORDS]
    torn = [(a, w) for a, w in zip(LABEL_WORDS, words) if w not in (OLD, NEW)]
    check(not torn, "words neither old nor new: %s" % torn[:8])
    check(NEW in words and OLD in words, "the download was not stopped halfway")
    download_all(screen, signal.SIGKILL, -signal.SIGKILL, "was interrupted after item", "neither")


def sigterm_during_program_download(screen):
    """SIGTERM while records stream: exit 143, the board out of program mode, ident untouched."""
    config = screen.scratch("config")
    with screen.start("--online", "--baud", "9600", config=config) as k:
        path = program_set(k)
        records = "".join(":10%04X00%s\r\n" % (0x4000 + 16 * r, "A5" * 16) for r in range(1500))
        k.write_file("program/LINE1.hex", records + ":00000001FF\r\n")
        k.key("alt+f", "d")
        k.save_as(path)
        k.reply("the download question")
        k.reply("the ident box")
        k.wait_for(lambda s: s.program_mode and s.memory[0x4100] == 0xA5, "records sent",
                   timeout=60)
        stop_with(k, signal.SIGTERM, 143)
    board = k.final()
    check(not board.program_mode, "the board was left in program mode")
    check(board.memory[0x4000 + 16 * 1499] != 0xA5, "the download was not stopped halfway")
    check([board.memory[a] for a in IDENT] == [k.first.memory[a] for a in IDENT],
          "the ident block changed")
    next_start_says(screen, config, "program KVX91D07 (LINE1.ovp)",
                    "was stopped after record", "partial program")


SCENARIOS = [sigterm_and_sigkill_during_download_all, sigterm_during_program_download]
