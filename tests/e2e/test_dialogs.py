"""The details dialog, the roster dialog and Wavmend, driven like a user:
keys typed on the display, buttons pressed, the registry read afterwards."""

import os
import re
import subprocess
import time

from harness import BUILD, HELP_PAGE, Run, ScenarioCase, wait_until

WAVMEND_EXE = BUILD / "Wavmend.exe"
DETAILS_ID = 115  # cmdToSet(1) "詳細(&S)" of the main window
ROSTER_ID = 114   # cmdToSet(0) "あの子嫌い(&B)"


class Dialogs(ScenarioCase):
    # ---- driving ----

    def keys(self, *keys):
        """Keys typed on the display, as a user types them into the window in front."""
        subprocess.run(["xdotool", "key", "--delay", "60", *keys], env=dict(os.environ, DISPLAY=Run.display.name),
                       timeout=30, check=True)
        time.sleep(0.3)

    def type_text(self, text):
        subprocess.run(["xdotool", "type", "--delay", "40", "--", text], env=dict(os.environ, DISPLAY=Run.display.name),
                       timeout=30, check=True)
        time.sleep(0.3)

    def in_front(self, cls, what):
        return wait_until(lambda: (lambda f: f[0] if f[1] == cls else 0)(self.probe.foreground()), 10, 0.1, what)

    def open_from_main(self, button, cls, dpi=None):
        """Starts Tavo, shows its main window by a second start, presses the button."""
        if dpi:
            self.set_dpi(dpi)
        self.main = self.s.start_tavo()
        self.assertEqual(self.s.tavo_command(), 0)
        return self.reopen(button, cls)

    def reopen(self, button, cls):
        """Presses a dialog button of the main window shown before (whose title may carry the clock now)."""
        self.probe.call("press", self.main, f"#{button}")
        return self.in_front(cls, cls)

    def set_dpi(self, dpi):
        subprocess.run(["wine", "reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
                        "/d", str(dpi), "/f"], env=self.s.env, stdout=self.s.log, stderr=self.s.log, timeout=60,
                       check=True)

    def box(self, title, timeout=10):
        """A message or file dialog by its title, which the caption clock may have prefixed."""
        def find():
            for h, cls, t in self.probe.windows():
                if cls == "#32770" and (t == title or t.endswith(" " + title)):
                    return h
            return 0

        return wait_until(find, timeout, 0.1, f"a box titled {title!r}")

    def box_text(self, h):
        children = self.probe.call("children", h)
        texts = [children[i + 2] for i in range(0, len(children) - 2, 3) if children[i + 1].lower() == "static"]
        return max(texts, key=len, default="")

    def answer(self, title, button="OK"):
        """Waits for a box, presses its button; returns the box's text."""
        h = self.box(title)
        text = self.box_text(h)
        self.probe.call("press", h, button)
        wait_until(lambda: self.probe.call("exists", h)[0] == "0", 10, 0.1, f"{title!r} to close")
        return text

    def shot(self, name):
        # xwd fails now and then while a window is being created or destroyed.
        try:
            self.s.screenshot(name)
        except subprocess.CalledProcessError:
            time.sleep(0.5)
            self.s.screenshot(name)

    def stored(self, key):
        return self.probe.reg_get("Main", key)

    def start_wavmend(self):
        proc = subprocess.Popen(["wine", str(WAVMEND_EXE)], env=self.s.env, stdout=self.s.log, stderr=self.s.log)
        self.s.procs.append(proc)
        # Found by class: with Tavo running, the caption clock may be in its title.
        h = wait_until(lambda: self.probe.find("TavoWavmend", ""), 20, 0.1, "Wavmend's window")
        return proc, h

    # ---- details dialog ----

    def test_details_ok_stores_the_boxes(self):
        self.open_from_main(DETAILS_ID, "TavoDetails")
        # 秒 on, アラーム on, hour "7" left by Tab, minute "5" still being
        # typed when Enter presses OK: both are stored as two digits.
        self.keys("alt+s", "alt+a", "Tab")
        self.type_text("7")
        self.keys("Tab")
        self.type_text("5")
        self.shot("details_edited")
        self.keys("Return")
        wait_until(lambda: self.probe.find("TavoDetails", "") == 0, 10, 0.1, "the dialog to close")
        expected = {"ShowSecond": "1", "Alarm": "1", "AlarmTime": "07:05", "ShowDate": "1", "24h": "1",
                    "EqualSeparate": "1", "TimeFuruCount": "10", "AlarmMessage": "時間だよ(^^)"}
        self.assertEqual({k: self.stored(k) for k in expected}, expected)
        # The clock pattern follows at once: seconds in the next title.
        h = self.window("秒つき")
        self.bring(h)
        self.s.wait_title(h, lambda t: re.fullmatch(r"\d+:\d\d:\d\d,\w+,\d+ = 秒つき", t) is not None, 5,
                          "a clock with seconds")

    def test_bad_count_and_time_are_reported_and_corrected(self):
        self.open_from_main(DETAILS_ID, "TavoDetails")
        self.shot("details_96dpi")
        self.keys("alt+f", "Tab")  # 時報ふるふる on, then the count box
        self.type_text("1.")
        self.keys("alt+a", "Tab")  # アラーム on, then the hour box
        self.type_text("-5")  # numeric, two characters: survives leaving, fails on OK
        self.keys("Return")
        count = self.answer("エラー - Tavo")
        self.assertTrue(count.startswith("ふるふる回数が正常に設定されていません。"), count)
        alarm = self.answer("エラー - Tavo")
        self.assertTrue(alarm.startswith("アラーム時刻が正常に設定されていません。"), alarm)
        wait_until(lambda: self.probe.find("TavoDetails", "") == 0, 10, 0.1, "the dialog to close")
        expected = {"TimeFuru": "0", "TimeFuruCount": "10", "Alarm": "0", "AlarmTime": "12:00"}
        self.assertEqual({k: self.stored(k) for k in expected}, expected)

    def test_f1_in_both_dialogs_opens_the_help_page(self):
        self.main = self.s.start_tavo(env={"WINEDEBUG": "trace+exec"})
        self.assertEqual(self.s.tavo_command(), 0)
        for button, cls in ((DETAILS_ID, "TavoDetails"), (ROSTER_ID, "TavoRoster")):
            opened = len(self.shell_opened())
            dialog = self.reopen(button, cls)
            self.keys("ctrl+F1")  # only F1 alone is help
            time.sleep(1)
            self.assertEqual(len(self.shell_opened()), opened, cls)
            self.keys("F1")
            wait_until(lambda: len(self.shell_opened()) > opened, 10, 0.2, f"the help page from {cls}")
            self.probe.call("close", dialog)
            wait_until(lambda: self.probe.find(cls, "") == 0, 10, 0.1, f"{cls} to close")
        self.assertEqual(self.shell_opened(), [HELP_PAGE] * 2)

    def test_chosen_chime_with_a_blank_is_stored_quoted(self):
        folder = self.s.prefix / "drive_c" / "My Sounds"
        folder.mkdir()
        (folder / "chime.wav").write_bytes(b"RIFF")
        self.probe.reg_set("Main", "TimePipo", "1")
        self.probe.reg_set("Main", "WaveFilePath1", r'"C:\My Sounds\old.wav" /w')
        self.open_from_main(DETAILS_ID, "TavoDetails")
        self.keys("alt+b")
        chooser = self.box("ファイルの参照 - ぴぽんと")
        self.shot("details_file_open")
        self.type_text(r"C:\My Sounds\chime.wav")
        self.keys("Return")
        wait_until(lambda: self.probe.call("exists", chooser)[0] == "0", 10, 0.1, "the file dialog to close")
        wait_until(lambda: self.stored("WaveFilePath1") == r'"C:\My Sounds\chime.wav"', 5, 0.1,
                   "the chosen file stored at once")
        self.keys("Escape")  # Cancel keeps what the chooser stored
        wait_until(lambda: self.probe.find("TavoDetails", "") == 0, 10, 0.1, "the dialog to close")
        self.assertEqual(self.stored("WaveFilePath1"), r'"C:\My Sounds\chime.wav"')

    def test_cancelled_call_me_chooser_asks_and_clears(self):
        self.probe.reg_set("Main", "WaveFilePath2", r"C:\call.exe")
        self.open_from_main(DETAILS_ID, "TavoDetails")
        self.keys("alt+c")
        chooser = self.box("ファイルの参照 - Call Me")
        self.keys("Escape")
        wait_until(lambda: self.probe.call("exists", chooser)[0] == "0", 10, 0.1, "the file dialog to close")
        question = self.box("Call Me")
        self.assertEqual(self.box_text(question), "Call Me 機能を OFF にしますか?")
        self.keys("Return")  # No is the default: nothing changes
        wait_until(lambda: self.probe.call("exists", question)[0] == "0", 10, 0.1, "the question to close")
        self.assertEqual(self.stored("WaveFilePath2"), r"C:\call.exe")

        self.keys("alt+c")
        chooser = self.box("ファイルの参照 - Call Me")
        self.keys("Escape")
        wait_until(lambda: self.probe.call("exists", chooser)[0] == "0", 10, 0.1, "the file dialog to close")
        self.probe.call("press", self.box("Call Me"), "#6")  # IDYES: cleared at once
        wait_until(lambda: self.stored("WaveFilePath2") == "", 5, 0.1, "Call Me cleared at once")

    # ---- roster dialog ----

    def test_roster_follows_a_window_and_keeps_the_clock_off_it(self):
        self.probe.reg_set("Main", "WindowList0", "KeptA")
        self.probe.reg_set("Main", "WindowList1", "KeptB")
        disliked = self.window("嫌いな窓", "ProbeDisliked")
        other = self.window("ほかの窓")
        roster = self.open_from_main(ROSTER_ID, "TavoRoster")
        self.shot("roster_96dpi")
        self.probe.call("press", roster, "#310")  # 尾行開始っ(&F)
        time.sleep(0.5)
        self.bring(disliked)
        self.assertEqual(self.answer("あの子嫌い"), "名簿に登録しました")
        self.probe.call("press", roster, "#312")  # OK
        wait_until(lambda: self.probe.call("exists", roster)[0] == "0", 10, 0.1, "the dialog to close")
        # Listed from the last stored entry up, then the new one.
        self.assertEqual([self.stored(f"WindowList{i}") for i in range(4)], ["KeptB", "KeptA", "ProbeDisliked", None])

        self.bring(other)
        self.assert_clock(other, "ほかの窓")
        self.probe.call("forget", disliked)
        self.bring(disliked)
        self.assert_own_title(other, "ほかの窓")
        time.sleep(1)
        self.assertEqual(self.probe.title(disliked), "嫌いな窓")
        self.assertEqual(self.probe.received(disliked), [], "not a single write")

    # ---- Wavmend ----

    def test_wavmend_quotes_both_paths_once(self):
        self.probe.reg_set("Main", "WaveFilePath1", r"C:\Windows\Media\chime.wav")
        self.probe.reg_set("Main", "WaveFilePath2", r"C:\Program Files\call.exe /a")
        proc, h = self.start_wavmend()
        self.assertEqual(self.probe.title(h), "Fix WaveFilePath for Tavo 1.56")
        self.shot("wavmend_96dpi")
        expected = [r'"C:\Windows\Media\chime.wav"', r'"C:\Program Files\call.exe /a"']
        for run in range(2):
            self.probe.call("press", h, "#100")  # 修正(&F)
            self.assertEqual(self.answer("Fixed!"), "修正は正常に完了しました。")
            self.assertEqual([self.stored("WaveFilePath1"), self.stored("WaveFilePath2")], expected, f"run {run}")
        self.probe.call("press", h, "#101")  # 終了(&X)
        self.assertEqual(proc.wait(10), 0)

    # ---- at 144 DPI ----

    def test_everything_at_144_dpi(self):
        details = self.open_from_main(DETAILS_ID, "TavoDetails", dpi=144)
        left, top, right, bottom = map(int, self.probe.call("rect", details))
        self.assertGreater(right - left, 517, "5172 twips of client area at 144 DPI")
        self.shot("details_144dpi")
        self.keys("Escape")
        wait_until(lambda: self.probe.find("TavoDetails", "") == 0, 10, 0.1, "the dialog to close")
        roster = self.reopen(ROSTER_ID, "TavoRoster")
        self.shot("roster_144dpi")
        self.probe.call("close", roster)
        wait_until(lambda: self.probe.call("exists", roster)[0] == "0", 10, 0.1, "the dialog to close")
        proc, h = self.start_wavmend()
        self.shot("wavmend_144dpi")
        self.probe.call("close", h)
        proc.wait(10)
