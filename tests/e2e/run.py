#!/usr/bin/env python3
"""Runs the end-to-end scenarios (see README.md); needs a Windows build.
The last line is "N passed, N failed"."""

import argparse
import os
import signal
import sys
import time
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent

# The second (32-bit) flavour runs one or two scenarios of each area, none
# with a fake clock: Debian's i386 libfaketime misses 32-bit glibc's 64-bit
# time calls (the unit suite covers the timed signals there).
SMOKE = ["test_windows_get_the_clock_and_their_exact_titles_back", "test_second_start_choices_about_help_and_exit",
         "test_dialogs_store_what_the_user_chose"]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", help="the build folder (default build/win64)")
    ap.add_argument("-k", action="append", default=[], help="only tests matching this pattern")
    ap.add_argument("-v", action="store_true", help="list every test")
    ap.add_argument("--smoke", action="store_true", help="only the smoke subset")
    ap.add_argument("--arch", choices=["win64", "win32"], help="the Wine prefix's kind (default win64)")
    ap.add_argument("--files", default="test_*.py", help="which scenario files (default test_*.py)")
    args = ap.parse_args()
    if args.build:
        os.environ["TAVO_BUILD"] = str(Path(args.build).resolve())
    if args.arch:
        os.environ["TAVO_WINEARCH"] = args.arch
    sys.path.insert(0, str(HERE))
    import harness  # after TAVO_BUILD is set

    loader = unittest.TestLoader()
    if patterns := args.k + (SMOKE if args.smoke else []):
        loader.testNamePatterns = [p if "*" in p else f"*{p}*" for p in patterns]
    suite = loader.discover(str(HERE), pattern=args.files, top_level_dir=str(HERE))

    # A terminated run still takes its display down; unittest passes
    # KeyboardInterrupt through where it would swallow SystemExit.
    def interrupted(signum, frame):
        raise KeyboardInterrupt

    signal.signal(signal.SIGTERM, interrupted)
    started = time.monotonic()
    try:
        result = unittest.TextTestRunner(verbosity=2 if args.v else 1, stream=sys.stdout).run(suite)
    finally:
        harness.Run.stop()
    # A test with failing subtests appears once per subtest.
    failed = len({getattr(t, "test_case", t).id() for t, _ in result.failures + result.errors}
                 | {getattr(t, "test_case", t).id() for t in result.unexpectedSuccesses})
    print(f"e2e: {time.monotonic() - started:.0f}s, {len(result.skipped)} skipped")
    print(f"{result.testsRun - failed - len(result.skipped)} passed, {failed} failed")
    return 0 if failed == 0 and result.testsRun > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
