"""The hourly signal and the daily alarm of the real Tavo.exe, its local time
moved by faketime across 17:00 and the alarm minute."""

import re
import time
import unittest
import wave

import subprocess

from harness import OUT, TICK, RigError, ScenarioCase, wait_until

TARGET = "時報の窓"


class Signals(ScenarioCase):
    def signal_at_five(self, main=None, plug_in=None, env=None):
        """Stores the settings, puts a probe window in front and moves Tavo's
        clock from 16:59 to 17:00; returns the window."""
        for key, value in (main or {}).items():
            self.probe.reg_set("Main", key, value)
        for key, value in (plug_in or {}).items():
            self.probe.reg_set("Plug in", key, value)
        h = self.window(TARGET)
        self.s.start_tavo(fake_time="2026-03-14 16:59:58", env=env)
        self.bring(h)
        self.assert_clock(h, TARGET, "16:59,Mar,14")
        time.sleep(2 * TICK)
        self.probe.call("forget", h)
        self.place = tuple(int(v) for v in self.probe.call("rect", h)[:2])
        self.s.set_fake_time("2026-03-14 17:00:00")
        self.assert_clock(h, TARGET, "17:00,Mar,14")
        return h

    def moves(self, h):
        return [tuple(map(int, m.split(","))) for m in self.probe.call("moves", h)[1:]]

    def settled(self, read, timeout, what):
        """Waits until read() stops changing for a second; returns its last value."""
        last = [read(), time.monotonic()]

        def check():
            value = read()
            if value != last[0]:
                last[:] = [value, time.monotonic()]
            return time.monotonic() - last[1] > 1.0

        wait_until(check, timeout, 0.1, what)
        return last[0]

    def drive_c(self, *parts):
        return self.s.prefix.joinpath("drive_c", *parts)

    def test_the_flash_runs_52_ticks(self):
        # Wine flashes only windows of the calling process: the title bar of a
        # probe window never sees the flash, so its calls are counted in Wine's
        # own note on each one.
        h = self.signal_at_five(env={"WINEDEBUG": "-all,fixme+win"})

        def flashes():
            return self.wine_log().count("fixme:win:NtUserFlashWindowEx")

        self.assertEqual(self.settled(flashes, 15, "the flash run to end"), 52)
        self.assertEqual(self.moves(h), [], "no shake with the defaults")

    def test_a_bad_flash_limit_opens_one_message_while_the_flash_waits(self):
        self.probe.reg_set("Main", "FlashLimit", "999")
        self.signal_at_five(env={"WINEDEBUG": "-all,fixme+win"})

        def messages():
            # The main timer runs on under the message, which may carry the clock.
            return [w for w in self.probe.windows() if w[1] == "#32770" and w[2].endswith("エラー - Tavo")]

        box = wait_until(messages, 5, what="the message")[0][0]
        texts = self.probe.call("children", box)[2::3]
        self.assertIn("レジストリの点滅回数設定が正しくありません。\r\n初期設定値に戻しました。", texts)
        time.sleep(1.5)  # fifteen flash ticks come while it is open
        self.assertEqual(len(messages()), 1)
        self.assertEqual(self.wine_log().count("fixme:win:NtUserFlashWindowEx"), 1, "the run waits for the answer")
        self.probe.call("press", box, "OK")
        # The run goes on with the limit 50. A tick or two may find no window
        # in front while the message goes away, and flash nothing.
        flashes = self.settled(lambda: self.wine_log().count("fixme:win:NtUserFlashWindowEx"), 15,
                               "the flash run to end")
        self.assertIn(flashes, range(50, 53))
        self.assertEqual(self.probe.reg_get("Main", "FlashLimit"), "50")

    def test_the_shake_moves_the_window_and_puts_it_back(self):
        h = self.signal_at_five(main={"TimeFuru": "1", "TimeFuruCount": "2", "TimePika": "0"})
        moves = self.settled(lambda: self.moves(h), 10, "the shake to end")
        left, top = self.place
        # At 96 pixels per inch the default 20 twips are one pixel.
        cycle = [(left + 1, top), (left, top + 1), (left - 1, top), (left, top - 1)]
        self.assertEqual(moves, cycle * 3 + [self.place])
        self.assertEqual(tuple(int(v) for v in self.probe.call("rect", h)[:2]), self.place)
        self.assertEqual(self.probe.foreground()[0], h)

    def test_the_chime_strikes_the_hour(self):
        sounds = self.drive_c("My Sounds")
        sounds.mkdir()
        with wave.open(str(sounds / "chime.wav"), "wb") as w:
            w.setnchannels(1)
            w.setsampwidth(1)
            w.setframerate(8000)
            w.writeframes(bytes([128]) * 400)
        self.signal_at_five(main={"TimePipo": "1", "PipoHato": "1", "TimePika": "0",
                                  "WaveFilePath1": r'"C:\My Sounds\chime.wav" /w'},
                            env={"WINEDEBUG": "trace+winmm"})

        def played():
            return len(re.findall(r"SoundName=.*My Sounds\\\\chime\.wav", self.wine_log()))

        # Five strikes at five o'clock, and not one more while the hour lasts.
        self.assertEqual(self.settled(played, 15, "the strikes"), 5)

    def test_hourly_entries_run_from_the_highest_number_down(self):
        counts = ["0"] * 24
        counts[17] = "4"
        entries = {f"Cute17{n:02d}": rf"cmd /c echo {n}>C:\cute{n}.txt" for n in (4, 3, 1)}
        entries["Cute1702"] = "   "
        self.signal_at_five(main={"CuteCounts": ",".join(counts), "TimePika": "0", **entries},
                            plug_in={"TavoCt": "1"}, env={"WINEDEBUG": "trace+exec"})
        for n in (4, 3, 1):
            wait_until(lambda: self.drive_c(f"cute{n}.txt").exists(), 15, what=f"entry {n} to run")
        started = re.findall(r"SHELL_execute mask=.*cute(\d)\.txt", self.wine_log())
        self.assertEqual(started, ["4", "3", "1"])
        self.assertFalse(self.drive_c("cute2.txt").exists())


class Alarm(ScenarioCase):
    def alarm_box(self, timeout=5):
        return wait_until(lambda: (lambda r: r if r[1] else None)(self.probe.call("msgbox", "Alarm - Tavo")),
                          timeout, what="the alarm box")

    def alarm_boxes(self):
        return [w for w in self.probe.windows() if w[2] == "Alarm - Tavo"]

    def assert_box_form(self, box):
        """OK and Cancel, Cancel the default button, and an icon; the box
        gets its default button a moment after it appears. Returns the icon's id."""
        BS_PUSHBUTTON, BS_DEFPUSHBUTTON, SS_ICON = 0, 1, 3
        want = {("button", "OK"): BS_PUSHBUTTON, ("button", "Cancel"): BS_DEFPUSHBUTTON, ("static", ""): SS_ICON}
        seen, ids = {}, {}

        def form():
            try:
                r = self.probe.call("children", box)
                for cid, cls, text in zip(r[0::3], r[1::3], r[2::3]):
                    key = (cls.lower(), text.replace("&", ""))
                    seen[key] = int(self.probe.call("style", box, cid)[0], 16) & 0xF
                    ids[key] = cid
            except RigError:
                return False  # the box is still putting its controls up: look again
            return all(seen.get(k) == v for k, v in want.items())

        try:
            wait_until(form, 5, 0.1, "the box's buttons and icon")
        except Exception:
            self.fail(f"the box has {seen}")
        return ids[("static", "")]

    def assert_icon(self, box, icon, shot, warm):
        """The box's icon in a screenshot: the exclamation mark is drawn in
        warm colours, the information sign in blue. Waits for the drawing."""
        l, t, r, b = (int(v) for v in self.probe.call("rect", box, icon))
        colour = []

        def drawn():
            self.s.screenshot(shot)
            out = subprocess.run(["convert", str(OUT / f"{shot}.png"), "-crop", f"{r - l}x{b - t}+{l}+{t}", "+repage",
                                  "-scale", "1x1!", "-format", "%[fx:int(255*r)] %[fx:int(255*b)]", "info:"],
                                 capture_output=True, text=True, timeout=30, check=True).stdout
            colour[:] = [int(v) for v in out.split()]
            red, blue = colour
            return red > blue + 30 if warm else blue > red + 30

        try:
            wait_until(drawn, 8, 0.2, "the icon")
        except Exception:
            self.fail(f"the icon's mean red and blue are {colour}")

    def no_box_for(self, seconds):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            self.assertEqual(self.alarm_boxes(), [])
            time.sleep(0.1)

    def test_call_me_box_and_repeats_until_ok(self):
        p = self.probe
        for key, value in {"Alarm": "1", "AlarmTime": "17:57", "AlarmMessage": "起きて!",
                           "WaveFilePath2": r"cmd /c echo called>>C:\callme.txt"}.items():
            p.reg_set("Main", key, value)
        called = self.s.prefix / "drive_c" / "callme.txt"
        h = self.window("アラームの窓")
        self.s.start_tavo(fake_time="2026-03-14 17:56:30")
        self.bring(h)
        self.assert_clock(h, "アラームの窓", "17:56,Mar,14")

        self.s.set_fake_time("2026-03-14 17:57:00")
        box, text = self.alarm_box()
        wait_until(called.exists, 10, what="the Call Me program")
        self.assertEqual(text, "起きて!")
        self.assert_icon(box, self.assert_box_form(box), "alarm", warm=True)

        # The minutes go on while the box waits: still one box, no report.
        for minute in ("17:58", "17:59"):
            self.s.set_fake_time(f"2026-03-14 {minute}:00")
            time.sleep(6 * TICK)
            self.assertEqual(len(self.alarm_boxes()), 1)
            self.assertEqual(p.call("msgbox", "エラー - Tavo")[0], "0")
        p.call("press", box, "Cancel")
        wait_until(lambda: not self.alarm_boxes(), 5, what="the box to close")

        # Cancel counted one check; 17:59 and 18:00 count two more, the next repeats.
        self.no_box_for(6 * TICK)
        self.s.set_fake_time("2026-03-14 18:00:00")
        self.no_box_for(8 * TICK)
        self.s.set_fake_time("2026-03-14 18:01:00")
        box, text = self.alarm_box()
        self.assertEqual(text, "起きて!")
        self.assert_icon(box, self.assert_box_form(box), "alarm_repeat", warm=False)
        wait_until(lambda: called.read_text().count("called") == 2, 10, what="the Call Me program again")
        p.call("press", box, "OK")
        wait_until(lambda: not self.alarm_boxes(), 5, what="the box to close")

        for minute in range(2, 8):
            self.s.set_fake_time(f"2026-03-14 18:{minute:02d}:00")
            self.no_box_for(5 * TICK)


if __name__ == "__main__":
    unittest.main()
