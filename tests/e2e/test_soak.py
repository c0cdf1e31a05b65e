# Tavo at its fastest polling rate against windows that misbehave (see
# README.md). TAVO_SOAK_TICKS ticks of 50 ms: 1500 by default (about 75 s),
# 10000 for the long run (about 8.5 min).

import itertools
import os
import re
import statistics
import time

from harness import MONTHS, ScenarioCase, proc_status, tavo_pid, wait_until

TICK_MS, TICKS = 50, int(os.environ.get("TAVO_SOAK_TICKS", "1500"))

# The clock text of the default settings, anywhere in a title.
CLOCK_RE = re.compile(r"\b\d{1,2}:\d{2},(?:%s),\d{1,2}\b" % "|".join(MONTHS))
CLOCKED_RE = re.compile(CLOCK_RE.pattern + " = ")  # a title that starts with the clock

# Seconds of churn between two stopped-window rounds, and about what a round takes.
CHURN_SECONDS, ROUND_SECONDS = 10.0, 4.0
# Retitles per window made. The pace is the probe's round trips, not Tavo's:
# a loaded two-core machine makes some 12 windows (37 retitles) a second;
# below about 40 % of that the churn did not run.
RETITLES, MIN_WINDOWS_PER_S = 3, 5

# How long a title write may wait for a window that does not answer
# (Win32Desktop's default), and what a loaded two-core machine adds on top:
# a tick of 50 ms, the write to the next window, the probe's polling.
WRITE_TIMEOUT, SWITCH_SLACK = 0.2, 1.3

# Allowed growth between the sample after warm-up and the one at the end.
# A leak per window switch or per title write would show in the thousands
# (a run makes some 12 switches and 37 retitles a second); the slack
# only covers what Wine creates lazily or keeps transiently (a handle or two
# for a queue or timer, a pipe, allocator arenas).
SLACK = {"listed_handles": 16, "windows": 0, "fds": 8, "threads": 2, "rss_kib": 16 * 1024}


class Soak(ScenarioCase):
    def counters(self, main, pid):
        _, listed, windows = map(int, self.probe.call("counters", main))
        p = proc_status(pid, "Threads", "VmRSS")
        return {"listed_handles": listed, "windows": windows, "fds": p["fds"], "threads": p["Threads"],
                "rss_kib": p["VmRSS"]}

    def churn(self, seconds):
        # As fast as the probe answers: a window comes to the front and
        # retitles itself RETITLES times, the oldest beyond four close. The last four
        # stay, for the look at every title at the end.
        alive, start = [], time.monotonic()
        while time.monotonic() < start + seconds:
            alive.append(h := self.probe.call("createx", "ChurnWindow", next(self.serial))[0])
            self.probe.call("front", h)
            for _ in range(RETITLES):
                self.probe.call("retitlex", h, next(self.serial))
            if len(alive) > 4:
                self.probe.call("close", alive.pop(0))
            self.made += 1
        self.churn_seconds += time.monotonic() - start

    def stopped_window_round(self, n):
        # The clock moves on from a window whose thread sleeps, and the window
        # gets its own title back once it runs again. Its title is plain,
        # empty, 100 000 units long or has lone surrogates, by turns.
        hung = int(self.probe.call("createx", "ProbeWindow", n)[0])
        self.bring(hung)
        wait_until(lambda: CLOCKED_RE.match(self.probe.title(hung)), 5, what="the clock on the stopped window")
        self.probe.call("hang", hung, 3000)
        time.sleep(0.5)  # ten ticks with a stopped window in front

        after = self.window(f"After {n}")
        started = time.monotonic()
        self.bring(after)
        self.assert_clock(after, f"After {n}", timeout=5)
        self.switches.append(time.monotonic() - started)

        try:
            wait_until(lambda: self.probe.call("titleis", hung, n)[0] == "1", 8, what="its own title")
        except Exception as e:
            self.kept_clock.append(f"round {n}: {e}; title {self.probe.title(hung)[:60]!r}")
        # Both stay, for the look at every title at the end.

    def test_misbehaving_windows_neither_crash_nor_leak(self):
        self.made, self.churn_seconds = 0, 0.0
        self.serial = itertools.count()  # soak titles by turns: plain, empty, 100 000 units, lone surrogates
        self.switches = []
        self.kept_clock = []  # stopped windows that did not get their title back
        self.probe.reg_set("Main", "CheckInterval", "50")
        main = self.s.start_tavo()
        pid = tavo_pid(self.s.prefix)
        started = time.monotonic()
        total = TICKS * TICK_MS / 1000

        # Warm-up: every path once, so that what Wine makes lazily exists.
        self.churn(3)
        self.stopped_window_round(len(self.switches))
        time.sleep(1)
        before = self.counters(main, pid)

        while (left := total - (time.monotonic() - started)) > ROUND_SECONDS:
            seconds = min(CHURN_SECONDS, left - ROUND_SECONDS)
            if seconds >= 1:
                self.churn(seconds)
            self.stopped_window_round(len(self.switches))
            self.assertIsNone(self.s.tavo.poll(), "Tavo ended")

        last = self.window("Last window")
        self.bring(last)
        self.assert_clock(last, "Last window")
        time.sleep(1)
        after = self.counters(main, pid)
        elapsed = time.monotonic() - started

        print(f"\nsoak: {TICKS} ticks of {TICK_MS} ms asked, {elapsed:.0f} s run, {len(self.switches)} stopped-window "
              f"rounds; {self.churn_seconds:.0f} s of churn: {self.made} windows made, {self.made * RETITLES} retitles")
        print(f"soak: switch away from a stopped window: max {max(self.switches):.2f} s, "
              f"median {statistics.median(self.switches):.2f} s over {len(self.switches)}")
        print(f"soak: counters after warm-up {before}")
        print(f"soak: counters at the end    {after}")

        self.assertIsNone(self.s.tavo.poll(), "Tavo ended")
        self.assertEqual(self.probe.call("exists", main), ["1"])
        self.assertGreater(self.made, MIN_WINDOWS_PER_S * self.churn_seconds, "the churn kept up")

        # No window but the foreground one carries a clock.
        front = self.probe.foreground()[0]
        self.assertEqual(front, last)
        self.assertEqual([(h, cls, t[:80]) for h, cls, t in self.probe.windows(hidden=True)
                          if h != front and CLOCK_RE.search(t)], [])

        self.assertEqual(self.kept_clock, [])
        self.assertLess(max(self.switches), WRITE_TIMEOUT + SWITCH_SLACK)
        for name, slack in SLACK.items():
            with self.subTest(counter=name):
                self.assertLessEqual(after[name] - before[name], slack, f"{before} -> {after}")
