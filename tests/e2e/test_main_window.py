"""Tavo's own window: reopened by a second start, its choices kept or dropped,
its about box, help and exit."""

import os
import subprocess
import time

from harness import HELP_PAGE, TAVO_EXE, Run, ScenarioCase, wait_until

MAIN = ("ThunderRT6FormDC", "Tavo")
SCREEN = (1024, 700)  # the rig's virtual desktop
ABOUT_ID, EXIT_ID = 122, 123  # cmdMain(2), cmdMain(3)

# Every key Tavo knows of, with a value differing from its default, so a
# second start that wrote defaults back would show.
STORED = {
    "Main": {
        "24h": "0", "ShowSecond": "1", "ShowYear": "1", "ShowDate": "0", "ShowDay": "1",
        "EqualSeparate": "0", "UserTaste": "1", "ClockRight": "1", "CheckInterval": "1000",
        "TimePika": "0", "TimeFuru": "1", "TimeFuruCount": "3", "TimePipo": "1", "PipoHato": "1",
        "WaveFilePath1": r"C:\a.wav", "WaveFilePath2": r"C:\b.wav", "CuteCounts": ",".join(["0"] * 24),
        "FlashLimit": "7", "VibrateWidth": "9", "Alarm": "0", "AlarmMessage": "起きて", "AlarmTime": "06:18",
        "XXFormat": "%h%", "TavoDirPath": r"C:\old\\", "Version": "0.01.0001", "WindowList0": "Nothing",
    },
    "Plug in": {"Hideout": "0", "TavoTT": "0", "TavoXX": "0", "TavoCt": "0"},
}
ALL_KEYS = [(section, key) for section, values in STORED.items() for key in values] + [
    ("Main", "WindowList1"), ("Main", "Cute0001")]


class MainWindow(ScenarioCase):
    def keys(self, *keys):
        subprocess.run(["xdotool", "key", "--delay", "60", *keys], env=dict(os.environ, DISPLAY=Run.display.name),
                       timeout=30, check=True)
        time.sleep(0.3)

    def registry(self):
        return {k: self.probe.reg_get(*k) for k in ALL_KEYS}

    def visible(self, h):
        return any(w[0] == h for w in self.probe.windows())

    def reopen(self):
        """A second start without arguments; returns the first one's window once it is in front."""
        self.assertEqual(self.s.tavo_command(), 0)
        main = self.s.main
        wait_until(lambda: self.probe.foreground()[0] == main, 10, 0.1, "the main window in front")
        return main

    def hidden(self, main):
        wait_until(lambda: not self.visible(main), 5, 0.1, "the main window to hide")

    def test_a_second_start_shows_the_window_centred_and_in_front_and_stores_nothing(self):
        for section, values in STORED.items():
            for key, value in values.items():
                self.probe.reg_set(section, key, value)
        self.s.start_tavo()
        main = self.s.main
        self.hidden(main)  # start-up shows it minimised for a moment, then hides it
        before = self.registry()

        self.assertEqual(self.reopen(), main)
        self.assertTrue(self.visible(main))
        self.assertEqual(self.probe.title(main), "Tavo")
        left, top, right, bottom = map(int, self.probe.call("rect", main))
        for start, size, screen in [(left, right - left, SCREEN[0]), (top, bottom - top, SCREEN[1])]:
            self.assertLessEqual(abs(start - (screen - size) // 2), 1, (left, top, right, bottom))
        self.s.screenshot("main_window")
        self.assertIsNone(self.s.tavo.poll(), "the first one goes on")
        self.assertEqual(self.registry(), before)

    def test_x_closes_the_first_while_its_title_carries_the_clock(self):
        self.s.start_tavo()
        main = self.reopen()
        self.s.wait_title(main, lambda t: t.endswith(" = Tavo"), what="the clock on the main window")
        self.assertEqual(self.reopen(), main)
        self.assertEqual(self.s.tavo_command("/x"), 0)
        self.s.tavo.wait(10)

    def test_x_with_nothing_running_ends_at_once_and_stores_nothing(self):
        before = self.registry()
        started = time.monotonic()
        self.assertEqual(self.s.tavo_command("/X"), 0)
        self.assertLess(time.monotonic() - started, 10)
        self.assertEqual(self.probe.find(*MAIN), 0)
        self.assertEqual(self.registry(), before)
        self.assertEqual(before, {k: None for k in ALL_KEYS})

    def test_an_unknown_interval_is_shown_and_stored_as_middle(self):
        self.probe.reg_set("Main", "CheckInterval", "100")
        self.s.start_tavo()
        main = self.reopen()
        self.probe.call("press", main, "OK")
        self.hidden(main)
        wait_until(lambda: self.probe.reg_get("Main", "CheckInterval") == "250", 5, 0.1, "250 stored")
        self.assertEqual(self.probe.reg_get("Main", "UserTaste"), "0")
        self.assertEqual(self.probe.reg_get("Main", "ClockRight"), "0")

    def test_cancel_brings_the_stored_choices_back(self):
        self.probe.reg_set("Main", "CheckInterval", "1000")
        self.s.start_tavo()
        main = self.reopen()
        self.keys("alt+h", "alt+n")
        self.keys("Escape")
        self.hidden(main)
        self.assertEqual(self.probe.reg_get("Main", "UserTaste"), None)
        main = self.reopen()
        self.keys("Return")
        self.hidden(main)
        wait_until(lambda: self.probe.reg_get("Main", "UserTaste") is not None, 5, 0.1, "the choices stored")
        self.assertEqual(self.probe.reg_get("Main", "CheckInterval"), "1000")
        self.assertEqual(self.probe.reg_get("Main", "UserTaste"), "0")

    def test_ok_with_the_common_style_shows_month_and_day_at_the_next_change(self):
        a = self.window("甲")
        b = self.window("乙")
        self.s.start_tavo(fake_time="2026-12-06 21:05:00")
        self.bring(a)
        self.assert_clock(a, "甲", "21:05,Dec,6")
        main = self.reopen()
        self.keys("alt+l", "alt+n")
        self.keys("Return")
        self.hidden(main)
        wait_until(lambda: self.probe.reg_get("Main", "UserTaste") == "1", 5, 0.1, "UserTaste stored")
        self.assertEqual(self.probe.reg_get("Main", "CheckInterval"), "1000")
        self.bring(b)
        self.assert_clock(b, "乙", "21:05,12/6")

    def about_text(self, main):
        self.probe.call("press", main, f"#{ABOUT_ID}")
        box, text = wait_until(lambda: (lambda r: r if r[1] else None)(
            self.probe.call("msgbox", "Tavo のバージョン情報")), 5, 0.1, "the about box")
        self.probe.call("press", box, "OK")
        wait_until(lambda: self.probe.call("msgbox", "Tavo のバージョン情報")[0] == "0", 5, 0.1, "the box to close")
        return text

    def test_about_box_names_the_version_and_the_plug_ins(self):
        self.s.start_tavo()
        main = self.reopen()
        self.assertTrue(self.about_text(main).startswith("Tavo 1.70.0001\r\n"))
        self.probe.call("close", main)
        self.s.tavo.wait(10)

        for key in ("TavoXX", "TavoCt"):
            self.probe.reg_set("Plug in", key, "1")
        self.probe.reg_set("Plug in", "Hideout", "2")  # only exactly 1 counts
        self.s.start_tavo()
        main = self.reopen()
        self.assertTrue(self.about_text(main).startswith("Tavo 1.70.0001XC\r\n"))

    def test_f1_opens_the_help_page_and_shift_f1_does_not(self):
        self.s.start_tavo(env={"WINEDEBUG": "trace+exec"})
        self.reopen()
        self.keys("shift+F1")
        time.sleep(1)
        self.assertEqual(self.shell_opened(), [])
        self.keys("F1")
        wait_until(self.shell_opened, 10, 0.2, "the help page to be opened")
        time.sleep(1)
        self.assertEqual(self.shell_opened(), [HELP_PAGE])

    def test_exit_ends_tavo_and_stores_its_place_and_version(self):
        h = self.window("Notes")
        self.s.start_tavo()
        self.bring(h)
        self.assert_clock(h, "Notes")
        main = self.reopen()
        self.assert_own_title(h, "Notes")
        self.probe.call("press", main, f"#{EXIT_ID}")
        self.s.tavo.wait(10)
        self.assertEqual(self.probe.find(*MAIN), 0)
        self.bring(h)
        time.sleep(1)
        self.assertEqual(self.probe.title(h), "Notes")
        self.assertEqual(self.probe.reg_get("Main", "Version"), "1.70.0001")
        exe_dir = "Z:" + str(TAVO_EXE.parent).replace("/", "\\") + "\\"
        self.assertEqual(self.probe.reg_get("Main", "TavoDirPath").lower(), exe_dir.lower())
