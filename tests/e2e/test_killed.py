"""Tavo ended by force (kill -9) leaves its clock in a title. The next start
gives back the titles it wrote, from the records the killed run left, and
touches nothing else."""

import time

from harness import ScenarioCase, compose, wait_until

HOLD_A = " Ünïcödé 🎉 𠮷 Hold A "
STOPPED = 6.0  # seconds B and C sleep: they are still stopped when Tavo is killed
# Two minutes apart, so the clock left behind is not the one the next run writes.
KILLED_AT, KILLED_CLOCK = "2026-12-07 19:53:00", "19:53,Dec,7"
RESTARTED_AT, CLOCK = "2026-12-07 19:55:00", "19:55,Dec,7"


class Killed(ScenarioCase):
    def owed(self):  # the windows with a record in the volatile key
        return sorted(map(int, self.s.reg(r"HKCU\Software\Tavo\Owed")))

    def test_killed_tavo_gives_back_only_titles_it_wrote(self):
        a, b, c = self.window(HOLD_A), self.window("Plain B"), self.window("Hold C")
        self.s.start_tavo(fake_time=KILLED_AT)
        # C, then B, stop answering while they carry the clock: Tavo still owes
        # them their titles when it dies.
        for h, title in ((c, "Hold C"), (b, "Plain B")):
            self.bring(h)
            self.assert_clock(h, title, KILLED_CLOCK)
            self.probe.call("hang", h, int(STOPPED * 1000))
        b_wakes = time.monotonic() + STOPPED
        self.bring(a)
        self.assert_clock(a, HOLD_A, KILLED_CLOCK)
        self.probe.call("close", c)  # done when it wakes
        self.s.kill_tavo()

        # With no Tavo running, B wakes and renames itself, and C goes.
        time.sleep(max(0.0, b_wakes - time.monotonic()))
        self.probe.call("settitle", b, "B renamed")
        self.gone(c, "C to close")
        self.assertEqual(self.probe.title(b), "B renamed")
        self.probe.drain(b)
        self.assertEqual(self.probe.title(a), compose(KILLED_CLOCK, HOLD_A), "the clock stays with A")

        self.bring(a)
        self.s.start_tavo(fake_time=RESTARTED_AT)
        self.assert_clock(a, HOLD_A, CLOCK)  # one clock, not two
        self.assertEqual(self.probe.received(b), [], "a window that renamed itself is left alone")
        self.bring(b)
        self.assert_own_title(a, HOLD_A)
        self.assert_clock(b, "B renamed", CLOCK)
        # The killed run's records are gone: only the window in front is owed.
        wait_until(lambda: self.owed() == [b], 10, 0.5, "only B's record")
