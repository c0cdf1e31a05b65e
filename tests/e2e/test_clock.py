"""The caption clock of the real Tavo.exe on real windows."""

import subprocess
import time
import unittest

from harness import TICK, ScenarioCase, compose, wait_until

# Outside the Japanese code page: an emoji (a surrogate pair), Korean,
# Greek, a CJK extension character; and blanks at both ends.
WIDE_TITLE = " Ünïcödé 🎉 Ω 한국어 ✓ 𠮷 "


class Clock(ScenarioCase):
    def test_defaults_put_the_time_before_the_title(self):
        a = self.window("メモ - 既定の時計")
        self.s.start_tavo()
        self.bring(a)
        self.assert_clock(a, "メモ - 既定の時計")
        self.s.screenshot("default_clock")

    def test_switching_gives_every_window_its_exact_title_back(self):
        a = self.window(WIDE_TITLE)
        b = self.window("Plain B")
        notepad = subprocess.Popen(["wine", "notepad"], env=self.s.env, stdout=self.s.log, stderr=self.s.log)
        self.s.procs.append(notepad)
        n = wait_until(lambda: self.probe.find("Notepad", ""), 15, 0.1, "notepad")
        # Notepad names its document a moment after its window appears.
        notepad_title = wait_until(lambda: (lambda t: t if " - " in t else None)(self.probe.title(n)), 5,
                                   what="notepad's document title")
        self.s.start_tavo()

        self.bring(a)
        self.assert_clock(a, WIDE_TITLE)
        self.s.screenshot("wide_title")
        for current, previous, previous_title, title in [
            (b, a, WIDE_TITLE, "Plain B"),
            (n, b, "Plain B", notepad_title),
            (a, n, notepad_title, WIDE_TITLE),
            (n, a, WIDE_TITLE, notepad_title),
        ]:
            with self.subTest(to=title):
                self.bring(current)
                self.assert_clock(current, title)
                self.assert_own_title(previous, previous_title)
        self.assertEqual(self.probe.title(b), "Plain B")

    def test_a_window_that_retitles_itself_gets_the_clock_back(self):
        a = self.window("First title")
        b = self.window("Other")
        self.s.start_tavo()
        self.bring(a)
        self.assert_clock(a, "First title")

        self.probe.set_title(a, "Renamed by itself")
        self.assert_clock(a, "Renamed by itself")

        # An edit that keeps the clock: the clock is taken off and put back once.
        self.probe.set_title(a, self.probe.title(a) + " (2)")
        self.assert_clock(a, "Renamed by itself (2)")
        time.sleep(4 * TICK)  # let Tavo see the edit before the window goes

        self.bring(b)
        self.assert_own_title(a, "Renamed by itself (2)")

    def test_a_steady_minute_writes_no_title(self):
        a = self.window("Steady")
        self.s.start_tavo(fake_time="2026-03-14 10:15:00")
        self.bring(a)
        self.assert_clock(a, "Steady", "10:15,Mar,14")
        time.sleep(0.5)
        self.probe.call("forget", a)
        time.sleep(2.5)  # ten ticks
        self.assertEqual(self.probe.received(a), [])

        self.s.set_fake_time("2026-03-14 10:16:00")
        self.assert_clock(a, "Steady", "10:16,Mar,14")
        time.sleep(2)
        self.assertEqual(self.probe.received(a), [compose("10:16,Mar,14", "Steady")], "one write per minute")

    def test_a_hung_window_does_not_stop_the_clock(self):
        hung = self.window("Hung window")
        b = self.window("Next window")
        c = self.window("Third window")
        self.s.start_tavo()
        self.bring(hung)
        self.assert_clock(hung, "Hung window")

        self.probe.call("hang", hung, 8000)
        started = time.monotonic()
        self.bring(b)
        self.assert_clock(b, "Next window", timeout=4)
        self.bring(c)
        self.assert_clock(c, "Third window", timeout=4)
        self.assert_own_title(b, "Next window")
        self.assertLess(time.monotonic() - started, 7, "all of this while the first window still sleeps")


if __name__ == "__main__":
    unittest.main()
