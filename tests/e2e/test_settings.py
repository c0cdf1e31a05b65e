"""Stored settings as Tavo.exe reads them at start-up."""

import time
import unittest

from harness import TICK, ScenarioCase, wait_until


class Settings(ScenarioCase):
    def restart_tavo(self, **kwargs):
        """Closes the running Tavo through its main window, then starts a new one."""
        if self.s.tavo is not None:
            self.probe.call("close", self.s.main)
            self.s.tavo.wait(10)
        self.s.start_tavo(**kwargs)

    def test_a_second_start_with_x_ends_the_first(self):
        self.s.start_tavo()
        self.assertEqual(self.s.tavo_command("/X"), 0)
        self.s.tavo.wait(10)
        self.assertEqual(self.probe.find("ThunderRT6FormDC", "Tavo"), 0)

    def test_placement_and_separator(self):
        p = self.probe
        for right, equal in [(1, 1), (0, 0), (1, 0), (0, 1)]:
            with self.subTest(ClockRight=right, EqualSeparate=equal):
                p.reg_set("Main", "ClockRight", str(right))
                p.reg_set("Main", "EqualSeparate", str(equal))
                self.restart_tavo()
                title = f"Form {right}{equal}"
                h = self.window(title)
                self.bring(h)
                self.assert_clock(h, title, right=right, equal=equal)
                if (right, equal) == (1, 0):
                    self.s.screenshot("clock_right")

    def test_out_of_range_placement_or_separator_gives_no_clock(self):
        p = self.probe
        for key, value in [("EqualSeparate", "7"), ("ClockRight", "2")]:
            with self.subTest(key=key, value=value):
                p.reg_set("Main", key, value)
                self.restart_tavo()
                h = self.window("No clock " + key)
                self.bring(h)
                time.sleep(6 * TICK)
                self.assertEqual(p.title(h), "No clock " + key)
                p.call("regdel", "Main", key)

    def test_listed_classes_are_left_alone(self):
        p = self.probe
        p.reg_set("Main", "WindowList0", "ProbeListed")
        p.reg_set("Main", "WindowList1", "probecased")  # differs from a class only in case
        p.reg_set("Main", "WindowList2", "ProbeAlsoListed")
        p.reg_set("Main", "WindowList4", "ProbeBehindGap")  # after an empty entry: never read
        listed = self.window("Listed", "ProbeListed")
        also = self.window("Also listed", "ProbeAlsoListed")
        cased = self.window("Cased", "ProbeCased")
        gap = self.window("Behind the gap", "ProbeBehindGap")
        self.s.start_tavo()

        self.bring(gap)
        self.assert_clock(gap, "Behind the gap")
        self.bring(cased)
        self.assert_clock(cased, "Cased")
        for h, title in [(listed, "Listed"), (also, "Also listed")]:
            with self.subTest(title=title):
                self.bring(h)
                self.assert_own_title(cased, "Cased")
                time.sleep(1)
                p.set_title(h, title + " renamed")
                time.sleep(1)
                self.assertEqual(p.title(h), title + " renamed")
                self.assertEqual(p.received(h), [], "not a single write")

    def test_spell_check_dialog_keeps_the_clock_off_dialogs(self):
        speller = self.window("ｽﾍﾟﾙﾁｪｯｸ", "#32770")
        dialog = self.window("Some dialog", "#32770")
        plain = self.window("Plain window")
        self.s.start_tavo()

        self.bring(dialog)
        self.bring(plain)
        self.assert_clock(plain, "Plain window")
        self.bring(speller)
        self.assert_own_title(plain, "Plain window")
        time.sleep(0.5)
        self.bring(dialog)
        time.sleep(1)
        self.assertEqual(self.probe.received(dialog), [])
        self.assertEqual(self.probe.received(speller), [])

        self.probe.call("destroy", speller)
        wait_until(lambda: self.probe.call("exists", speller) == ["0"], 5, what="the speller to close")
        self.bring(plain)
        self.assert_clock(plain, "Plain window")
        self.bring(dialog)
        self.assert_clock(dialog, "Some dialog")

    def test_extended_format_at_fake_times(self):
        p = self.probe
        p.reg_set("Plug in", "TavoXX", "1")
        p.reg_set("Main", "XXFormat", r"月齢%o%[%r%] %tt h:nn% %kk5h:nn% \%")
        h = self.window("拡張書式")
        self.s.start_tavo(fake_time="2026-01-18 02:30:00")
        self.bring(h)
        for fake_time, clock in [
            ("2026-01-18 02:30:00", "月齢27[( ] 2:30 26:30 %"),
            ("2026-12-06 21:05:00", "月齢26[( ] 9:05 21:05 %"),
            ("2026-06-01 04:59:00", "月齢15[○] 4:59 28:59 %"),
            ("2026-06-01 12:30:00", "月齢15[○] 0:30 12:30 %"),
        ]:
            with self.subTest(time=fake_time):
                self.s.set_fake_time(fake_time)
                self.assert_clock(h, "拡張書式", clock)
                if fake_time.startswith("2026-06-01 04"):
                    self.s.screenshot("extended_format")

    def test_broken_extended_formats(self):
        p = self.probe
        p.reg_set("Plug in", "TavoXX", "1")
        for pattern, report, clock in [
            ("abc%h", None, "XXErr"),  # no closing "%": no report
            ("%kkxh:nn%", "場所:KTime-XXModule", "3:10"),  # the limit hour is no digit
        ]:
            with self.subTest(pattern=pattern):
                p.reg_set("Main", "XXFormat", pattern)
                self.restart_tavo(fake_time="2026-01-18 03:10:00")
                h = self.window(f"壊れた書式 {pattern}")
                self.bring(h)
                if report:
                    # The box exists a moment before its text does.
                    box, text = wait_until(lambda: (lambda r: r if r[1] else None)(
                        p.call("msgbox", "エラー - Tavo")), 5, what="the error report")
                    self.assertIn("エラー番号:13\r\n", text)
                    self.assertIn(report, text)
                    self.s.screenshot("error_report")
                    p.call("press", box, "OK")
                    wait_until(lambda: p.call("msgbox", "エラー - Tavo")[0] == "0", 5, what="the report to close")
                self.assert_clock(h, f"壊れた書式 {pattern}", clock)


if __name__ == "__main__":
    unittest.main()
