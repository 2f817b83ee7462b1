#!/usr/bin/env python3
"""Usage: scenarios.py KALVEX GROUP|NAME...; exit 0: all passed, 1: one failed, 77: no Xvfb."""

import importlib
import shutil
import sys
import time
import traceback

from kalvex_x import Screen

GROUPS = ["navigation", "page", "board", "gateway", "compare", "signal", "simulator"]


def chosen(names):
    groups = {g: importlib.import_module(g + "_scenarios").SCENARIOS for g in GROUPS}
    every = {s.__name__: s for g in groups.values() for s in g}
    unknown = [n for n in names if n not in groups and n not in every]
    if unknown:
        sys.exit("unknown scenarios or groups: %s" % unknown)
    return [s for n in names for s in (groups.get(n) or [every[n]])]


def passed(screen, scenario):
    start = time.time()
    try:
        screen.clean()
        scenario(screen)
        print("PASS %s (%.1f s)" % (scenario.__name__, time.time() - start), flush=True)
        return True
    except AssertionError as e:
        print("FAIL %s (%.1f s): %s" % (scenario.__name__, time.time() - start, e), flush=True)
    except Exception:
        print("ERROR %s\n%s" % (scenario.__name__, traceback.format_exc()), flush=True)
    return False


def main(binary, names):
    scenarios = chosen(names)
    if not shutil.which("Xvfb"):
        print("SKIP: Xvfb is not installed")
        return 77
    with Screen(binary) as screen:
        failed = [s.__name__ for s in scenarios if not passed(screen, s)]
    print("%d of %d passed%s" % (len(scenarios) - len(failed), len(scenarios),
                                 "; FAILED: " + " ".join(failed) if failed else ""))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2:]))
