#!/usr/bin/env python3
"""Runs the end-to-end scenarios: python3 tests/e2e/run.py [-k PATTERN] [--build DIR].

Needs the win64 build (Tavo.exe and tavo_probe.exe). Screenshots go to
out/e2e/. The last line is "N passed, N failed".
"""

import argparse
import os
import signal
import sys
import time
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", help="the win64 build folder (default build/win64)")
    ap.add_argument("-k", action="append", default=[], help="only tests matching this pattern")
    ap.add_argument("-v", action="store_true", help="list every test")
    args = ap.parse_args()
    if args.build:
        os.environ["TAVO_BUILD"] = str(Path(args.build).resolve())

    sys.path.insert(0, str(HERE))
    import harness  # after TAVO_BUILD is set

    loader = unittest.TestLoader()
    if args.k:
        loader.testNamePatterns = [p if "*" in p else f"*{p}*" for p in args.k]
    suite = loader.discover(str(HERE), pattern="test_*.py", top_level_dir=str(HERE))
    # A terminated run still takes its display down (see the finally below);
    # unittest passes KeyboardInterrupt through where it would swallow SystemExit.
    def interrupted(signum, frame):
        raise KeyboardInterrupt

    signal.signal(signal.SIGTERM, interrupted)
    started = time.monotonic()
    try:
        result = unittest.TextTestRunner(verbosity=2 if args.v else 1, stream=sys.stdout).run(suite)
    finally:
        harness.Run.stop()
    # A test with failing subtests appears once per subtest; count tests.
    def test_id(t):
        return getattr(t, "test_case", t).id()

    failed_ids = {test_id(t) for t, _ in result.failures + result.errors}
    failed_ids |= {test_id(t) for t in result.unexpectedSuccesses}
    failed = len(failed_ids)
    passed = result.testsRun - failed - len(result.skipped)
    print(f"e2e: {time.monotonic() - started:.0f}s, {len(result.skipped)} skipped")
    print(f"{passed} passed, {failed} failed")
    return 0 if failed == 0 and result.testsRun > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
