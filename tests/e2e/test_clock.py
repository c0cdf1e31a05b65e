"""The caption clock of the real Tavo.exe on real windows: what it writes,
what it gives back, and which windows it leaves alone."""

import time

from harness import MAIN_CLASS, TICK, ScenarioCase, compose, wait_until

# Outside the Japanese code page: an emoji (a surrogate pair), Korean,
# Greek, a CJK extension character; and blanks at both ends.
WIDE_TITLE = " Ünïcödé 🎉 Ω 한국어 ✓ 𠮷 "


class Clock(ScenarioCase):
    def test_windows_get_the_clock_and_their_exact_titles_back(self):
        self.store(WindowList0="ProbeListed", WindowList1="probecased",  # differs from a class only in case
                   WindowList3="ProbeBehindGap")  # after an empty entry: never read
        a, b = self.window(WIDE_TITLE), self.window("Plain B")
        listed, cased = self.window("Listed", "ProbeListed"), self.window("Cased", "ProbeCased")
        gap = self.window("Behind the gap", "ProbeBehindGap")
        speller, dialog = self.window("ｽﾍﾟﾙﾁｪｯｸ", "#32770"), self.window("Some dialog", "#32770")
        self.s.spawn("notepad")
        n = wait_until(lambda: self.probe.find("Notepad", ""), 15, 0.1, "notepad")
        # Notepad names its document a moment after its window appears.
        notepad = wait_until(lambda: (lambda t: " - " in t and t)(self.probe.title(n)), 5, what="notepad's title")
        self.s.start_tavo()

        self.bring(a)
        self.assert_clock(a, WIDE_TITLE)
        self.s.screenshot("wide_title")
        for current, title, previous, previous_title in [
                (b, "Plain B", a, WIDE_TITLE), (n, notepad, b, "Plain B"), (a, WIDE_TITLE, n, notepad),
                (gap, "Behind the gap", a, WIDE_TITLE), (cased, "Cased", gap, "Behind the gap")]:
            with self.subTest(to=title):
                self.bring(current)
                self.assert_clock(current, title)
                self.assert_own_title(previous, previous_title)

        # Listed classes, and every dialog while the spell checker is open, get not a single write.
        for h, title in [(listed, "Listed"), (speller, "ｽﾍﾟﾙﾁｪｯｸ"), (dialog, "Some dialog")]:
            self.bring(h)
            self.assert_own_title(cased, "Cased")
            time.sleep(4 * TICK)
        self.probe.call("settitle", listed, "Listed renamed")  # the speller is known by its title: kept
        time.sleep(4 * TICK)
        for h, title in [(listed, "Listed renamed"), (speller, "ｽﾍﾟﾙﾁｪｯｸ"), (dialog, "Some dialog")]:
            self.assertEqual(self.probe.received(h), [], "not a single write")
            self.assertEqual(self.probe.title(h), title)
        self.probe.call("close", speller)
        self.gone(speller, "the speller to close")
        # The rule is applied when a window comes to the front, not while it stays there.
        self.bring(cased)
        self.assert_clock(cased, "Cased")
        self.bring(dialog)
        self.assert_clock(dialog, "Some dialog")

        # A window that retitles itself gets the clock back; an edit that keeps
        # the clock is taken off and put back once.
        self.bring(b)
        self.probe.call("settitle", b, "Renamed by itself")
        self.assert_clock(b, "Renamed by itself")
        self.probe.received(b)
        self.probe.call("settitle", b, self.probe.title(b) + " (2)")
        self.assert_clock(b, "Renamed by itself (2)")
        # Tavo must see the edit before the window goes: it writes it back once.
        put_back = []
        wait_until(lambda: put_back.extend(self.probe.received(b)) or any(t.endswith(" (2)") for t in put_back), 5,
                   what="the edited title written back")
        # (A hung window in front is the soak's; here it only answers.)
        self.bring(a)
        self.assert_clock(a, WIDE_TITLE)
        self.assert_own_title(b, "Renamed by itself (2)")

        # A second start with /x ends the first, which gives the title back.
        self.assertEqual(self.s.tavo_command("/x"), 0)
        self.s.tavo.wait(10)
        self.assertEqual(self.probe.find(MAIN_CLASS, "Tavo"), 0)
        self.assert_own_title(a, WIDE_TITLE)

    def test_patterns_at_fake_times(self):
        self.store("Plug in", TavoXX="1")
        self.store(XXFormat=r"月齢%o%[%r%] %tt h:nn% %kk5h:nn% \%")
        h = self.window("拡張書式")
        self.s.start_tavo(fake_time="2026-01-18 02:30:00")
        self.bring(h)
        # The rig's own fake clock reaches Tavo, and a steady minute writes nothing.
        self.assert_clock(h, "拡張書式", "月齢27[( ] 2:30 26:30 %")
        time.sleep(2 * TICK)
        self.probe.drain(h)
        time.sleep(10 * TICK)
        self.assertEqual(self.probe.received(h), [])
        for fake_time, clock in [
            ("2026-01-18 02:31:00", "月齢27[( ] 2:31 26:31 %"),
            ("2026-12-06 21:05:00", "月齢26[( ] 9:05 21:05 %"),
            ("2026-06-01 04:59:00", "月齢15[○] 4:59 28:59 %"),
            ("2026-06-01 12:30:00", "月齢15[○] 0:30 12:30 %"),
        ]:
            with self.subTest(time=fake_time):
                self.s.set_fake_time(fake_time)
                self.assert_clock(h, "拡張書式", clock)
                if fake_time.startswith("2026-06-01 04"):
                    self.s.screenshot("extended_format")
        self.probe.drain(h)
        self.s.set_fake_time("2026-06-01 12:31:00")
        self.assert_clock(h, "拡張書式", "月齢15[○] 0:31 12:31 %")
        time.sleep(8 * TICK)
        self.assertEqual(self.probe.received(h), [compose("月齢15[○] 0:31 12:31 %", "拡張書式")], "one write a minute")
        self.s.stop_tavo()
