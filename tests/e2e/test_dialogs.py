"""The details dialog, the roster dialog and Wavmend, driven like a user."""

import re
import time

from harness import HELP_PAGE, REPORT, WAVMEND_EXE, ScenarioCase, wait_until

DETAILS_ID, ROSTER_ID = 115, 114  # cmdToSet(1) "詳細(&S)", cmdToSet(0) "あの子嫌い(&B)"
FOLLOW_ID, ROSTER_OK_ID = 310, 312


class Dialogs(ScenarioCase):
    def open(self, button, cls):
        self.probe.call("press", self.s.main, button)
        return self.in_front(cls)

    def help_key_opens_the_page(self, cls):
        opened = len(self.shell_opened())
        self.keys("ctrl+F1")  # only F1 alone is help
        time.sleep(1)
        self.assertEqual(len(self.shell_opened()), opened, cls)
        self.keys("F1")
        wait_until(lambda: len(self.shell_opened()) > opened, 10, 0.2, f"the help page from {cls}")

    def chooser(self, key, title):  # a file chooser of the details dialog
        # A key typed while an answered box still goes away is lost.
        self.in_front("TavoDetails")
        self.keys(key)
        return self.boxes.wait(f"ファイルの参照 - {title}")

    def test_dialogs_store_what_the_user_chose(self):
        self.store(WindowList0="KeptA", WindowList1="KeptB", TimePipo="1",
                   WaveFilePath1=r'"C:\My Sounds\old.wav" /w', WaveFilePath2=r"C:\call.exe")
        (self.s.prefix / "drive_c" / "My Sounds").mkdir()
        (self.s.prefix / "drive_c" / "My Sounds" / "chime.wav").write_bytes(b"RIFF")
        disliked, other = self.window("嫌いな窓", "ProbeDisliked"), self.window("ほかの窓")
        self.s.start_tavo(env={"WINEDEBUG": "trace+exec"})
        self.show_main()

        # The roster follows the window brought to the front; the clock keeps off it.
        roster = self.open(ROSTER_ID, "TavoRoster")
        self.s.screenshot("roster_96dpi")
        self.help_key_opens_the_page("TavoRoster")
        self.probe.call("press", roster, FOLLOW_ID)
        time.sleep(0.5)
        self.bring(disliked)
        self.assertEqual(self.boxes.answer("あの子嫌い"), "名簿に登録しました")
        self.probe.call("press", roster, ROSTER_OK_ID)
        self.gone(roster)
        # Listed from the last stored entry up, then the new one.
        self.assertEqual([self.stored(f"WindowList{i}") for i in range(4)], ["KeptB", "KeptA", "ProbeDisliked", None])
        self.bring(other)
        self.assert_clock(other, "ほかの窓")
        self.probe.drain(disliked)
        self.bring(disliked)
        self.assert_own_title(other, "ほかの窓")
        time.sleep(1)
        self.assertEqual(self.probe.title(disliked), "嫌いな窓")
        self.assertEqual(self.probe.received(disliked), [], "not a single write")

        # A chosen chime with a blank is stored quoted, at once; Cancel keeps it.
        details = self.open(DETAILS_ID, "TavoDetails")
        self.s.screenshot("details_96dpi")
        self.help_key_opens_the_page("TavoDetails")
        chooser = self.chooser("alt+b", "ぴぽんと")
        self.s.screenshot("details_file_open")
        self.keys(r"C:\My Sounds\chime.wav", xdotool="type")
        self.keys("Return")
        self.gone(chooser)
        wait_until(lambda: self.stored("WaveFilePath1") == r'"C:\My Sounds\chime.wav"', 5, 0.1, "the chime stored")
        self.keys("Escape")
        self.gone(details)
        self.assertEqual(self.stored("WaveFilePath1"), r'"C:\My Sounds\chime.wav"')
        self.assertEqual(self.shell_opened(), [HELP_PAGE] * 2)

        # A cancelled Call Me chooser asks; No keeps the program, Yes clears it at once.
        details = self.open(DETAILS_ID, "TavoDetails")
        for answer, expected in [(7, r"C:\call.exe"), (6, "")]:  # IDNO, IDYES
            chooser = self.chooser("alt+c", "Call Me")
            self.keys("Escape")
            self.gone(chooser)
            self.assertEqual(self.boxes.answer("Call Me", answer), "Call Me 機能を OFF にしますか?")
            wait_until(lambda: self.stored("WaveFilePath2") == expected, 5, 0.1, f"Call Me after {answer}")

        # A bad count and alarm time are reported and corrected.
        self.keys("alt+f", "Tab")  # 時報ふるふる on, then the count box
        self.keys("1.", xdotool="type")
        self.keys("alt+a", "Tab")  # アラーム on, then the hour box
        self.keys("-5", xdotool="type")  # numeric, two characters: survives leaving, fails on OK
        self.keys("Return")
        self.assertTrue(self.boxes.answer(REPORT).startswith("ふるふる回数が正常に設定されていません。"))
        self.assertTrue(self.boxes.answer(REPORT).startswith("アラーム時刻が正常に設定されていません。"))
        self.gone(details)
        expected = {"TimeFuru": "0", "TimeFuruCount": "10", "Alarm": "0", "AlarmTime": "12:00"}
        self.assertEqual({k: self.stored(k) for k in expected}, expected)

        # OK stores the boxes: 秒 on, アラーム on, hour "7" left by Tab, minute
        # "5" still being typed when Enter presses OK: both as two digits.
        details = self.open(DETAILS_ID, "TavoDetails")
        self.keys("alt+s", "alt+a", "Tab")
        self.keys("7", xdotool="type")
        self.keys("Tab")
        self.keys("5", xdotool="type")
        self.s.screenshot("details_edited")
        self.keys("Return")
        self.gone(details)
        expected = {"ShowSecond": "1", "Alarm": "1", "AlarmTime": "07:05", "ShowDate": "1", "24h": "1",
                    "EqualSeparate": "1", "AlarmMessage": "時間だよ(^^)"}
        self.assertEqual({k: self.stored(k) for k in expected}, expected)
        # The clock pattern follows at once: seconds in the next title.
        self.bring(other)
        self.wait_title(other, lambda t: re.fullmatch(r"\d+:\d\d:\d\d,\w+,\d+ = ほかの窓", t) is not None, 5)
        self.s.stop_tavo()

        # Wavmend quotes both paths, a 100 000-character one too, once, and touches nothing else.
        paths = {"WaveFilePath1": r"C:\Windows\Media\chime.wav", "WaveFilePath2": "C:\\" + "1234567890" * 10000}
        self.store(**paths)
        before = self.dump()
        proc = self.s.spawn(WAVMEND_EXE)
        # Found by class: with Tavo running, the caption clock may be in its title.
        h = wait_until(lambda: self.probe.find("TavoWavmend", ""), 20, 0.1, "Wavmend's window")
        self.assertEqual(self.probe.title(h), "Fix WaveFilePath for Tavo 1.56")
        self.s.screenshot("wavmend_96dpi")
        for run in range(2):
            self.probe.call("press", h, 100)  # 修正(&F)
            self.assertEqual(self.boxes.answer("Fixed!", timeout=15), "修正は正常に完了しました。")
            quoted = {("Main", k): (1, f'"{v}"') for k, v in paths.items()}
            self.assertEqual(self.dump(), {**before, **quoted}, f"run {run}")
        self.probe.call("press", h, 101)  # 終了(&X)
        self.assertEqual(proc.wait(10), 0)

        # All three at 144 DPI.
        self.s.set_dpi(144)
        self.s.start_tavo()
        self.show_main()
        details = self.open(DETAILS_ID, "TavoDetails")
        left, _, right, _ = self.probe.rect(details)
        self.assertGreater(right - left, 517, "5172 twips of client area at 144 DPI")
        self.s.screenshot("details_144dpi")
        self.keys("Escape")
        self.gone(details)
        roster = self.open(ROSTER_ID, "TavoRoster")
        self.s.screenshot("roster_144dpi")
        self.probe.call("close", roster)
        self.gone(roster)
        proc = self.s.spawn(WAVMEND_EXE)
        h = wait_until(lambda: self.probe.find("TavoWavmend", ""), 20, 0.1, "Wavmend's window")
        self.s.screenshot("wavmend_144dpi")
        self.probe.call("close", h)
        proc.wait(10)
