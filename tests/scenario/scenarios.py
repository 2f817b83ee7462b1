#!/usr/bin/env python3
"""Real-input scenarios. Usage: scenarios.py KALVEX GROUP|NAME...
A group is a module's scenarios (GROUP_scenarios.py). All named run in turn on one X server,
each on a clean screen; a failure does not stop the others. Exit status 0 when all pass, 1 when
any failed (they are named at the end), 77 when there is no Xvfb to run on."""

import importlib
import sys
import time
import traceback

from kalvex_x import SKIP, Display, Failure, Skip

GROUPS = ["navigation", "page", "board", "gateway", "compare", "signal", "simulator"]


def chosen(names):
    groups = {g: importlib.import_module(g + "_scenarios").SCENARIOS for g in GROUPS}
    every = {s.__name__: s for g in groups.values() for s in g}
    unknown = [n for n in names if n not in groups and n not in every]
    if unknown:
        sys.exit("unknown scenarios or groups: %s" % unknown)
    return [s for n in names for s in (groups.get(n) or [every[n]])]


def run(display, scenario):
    start = time.time()
    try:
        display.clean()
        scenario(display, sys.argv[1])
        print("PASS %s (%.1f s)" % (scenario.__name__, time.time() - start))
        return True
    except Failure as e:
        print("FAIL %s (%.1f s): %s" % (scenario.__name__, time.time() - start, e))
    except Exception:
        print("ERROR %s" % scenario.__name__)
        traceback.print_exc(file=sys.stdout)
    return False


def main(names):
    scenarios = chosen(names)
    try:
        with Display() as display:
            failed = []
            for scenario in scenarios:
                if not run(display, scenario):
                    failed.append(scenario.__name__)
                sys.stdout.flush()
    except Skip as e:
        print("SKIP:", e)
        return SKIP
    print("%d of %d passed%s" % (len(scenarios) - len(failed), len(scenarios),
                                 "; FAILED: " + " ".join(failed) if failed else ""))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[2:]))
