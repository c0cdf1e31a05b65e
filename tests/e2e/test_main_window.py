"""Tavo's own window: a second start, its choices, about box, help and exit."""

import time

from harness import (HELP_PAGE, MAIN_CLASS, TAVO_EXE, ScenarioCase, build_version, clocks_around_now, common_clock,
                     wait_until)

SCREEN = (1024, 700)  # the rig's virtual desktop
OK_ID, ABOUT_ID, EXIT_ID = 120, 122, 123  # cmdMain(0), cmdMain(2), cmdMain(3)
# Values that differ from the defaults, so a start that wrote defaults back would show.
STORED = {"Main": {"AlarmTime": "06:18", "TimeFuruCount": "3", "AlarmMessage": "起きて",
                   "CheckInterval": "100", "XXFormat": "%h%", "Version": "0.01.0001", "WindowList0": "Nothing",
                   "ClockRight": "1", "EqualSeparate": "0"},  # the clock on the right after a single blank
          "Plug in": {"Hideout": "2", "TavoCt": "1"}}  # only exactly 1 counts
PLACED = {"right": 1, "equal": 0}


class MainWindow(ScenarioCase):
    def hidden(self, main):
        wait_until(lambda: all(w[0] != main for w in self.probe.windows()), 5, 0.1, "the main window to hide")

    def test_second_start_choices_about_help_and_exit(self):
        for section, values in STORED.items():
            self.store(section, **values)
        before = self.dump()
        started = time.monotonic()
        self.assertEqual(self.s.tavo_command("/X"), 0, "/x with nothing running")
        self.assertLess(time.monotonic() - started, 10)
        a, b = self.window("甲"), self.window("乙")
        main = self.s.start_tavo(env={"WINEDEBUG": "trace+exec"})
        self.hidden(main)  # start-up shows it minimised for a moment, then hides it
        self.assertEqual(self.dump(), before)

        # A second start shows it centred and in front, and stores nothing.
        self.assertEqual(self.show_main(), main)
        left, top, right, bottom = self.probe.rect(main)
        for start, size, screen in [(left, right - left, SCREEN[0]), (top, bottom - top, SCREEN[1])]:
            self.assertLessEqual(abs(start - (screen - size) // 2), 1, (left, top, right, bottom))
        self.s.screenshot("main_window")
        self.assertIsNone(self.s.tavo.poll(), "the first one goes on")
        self.assertEqual(self.dump(), before)
        self.assert_clock(main, "Tavo", **PLACED)

        self.probe.call("press", main, ABOUT_ID)
        self.assertTrue(self.boxes.answer("Tavo のバージョン情報").startswith(f"Tavo {build_version()}C\r\n"))

        self.keys("shift+F1")
        time.sleep(1)
        self.assertEqual(self.shell_opened(), [])
        self.keys("F1")
        wait_until(self.shell_opened, 10, 0.2, "the help page to be opened")

        # OK stores the choices shown: an unknown interval as the middle one.
        self.probe.call("press", main, OK_ID)
        self.hidden(main)
        wait_until(lambda: self.stored("CheckInterval") == "250", 5, 0.1, "250 stored")
        self.assertEqual([self.stored("UserTaste"), self.stored("ClockRight")], ["0", "1"])
        # Cancel brings them back.
        self.show_main()
        self.keys("alt+l", "alt+n")
        self.keys("Escape")
        self.hidden(main)
        self.assertEqual([self.stored("UserTaste"), self.stored("CheckInterval")], ["0", "250"])
        # The common style shows month and day at the next change.
        self.bring(a)
        self.assert_clock(a, "甲", **PLACED)
        self.show_main()
        self.keys("alt+l", "alt+n")
        self.keys("Return")
        self.hidden(main)
        wait_until(lambda: self.stored("UserTaste") == "1", 5, 0.1, "UserTaste stored")
        self.assertEqual(self.stored("CheckInterval"), "1000")
        self.bring(b)
        self.assert_clock(b, "乙", clocks_around_now(common_clock), **PLACED)

        # Exit ends Tavo, gives the title back and stores its place and version.
        self.show_main()
        self.assert_own_title(b, "乙")
        self.probe.call("press", main, EXIT_ID)
        self.s.tavo.wait(10)
        self.assertEqual(self.probe.find(MAIN_CLASS, "Tavo"), 0)
        self.bring(a)
        time.sleep(1)
        self.assertEqual(self.probe.title(a), "甲")
        self.assertEqual(self.shell_opened(), [HELP_PAGE])
        self.assertEqual(self.stored("Version"), build_version())
        exe_dir = "Z:" + str(TAVO_EXE.parent).replace("/", "\\") + "\\"
        self.assertEqual(self.stored("TavoDirPath").lower(), exe_dir.lower())
