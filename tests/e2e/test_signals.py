"""The hourly signal and the daily alarm of the real Tavo.exe, its local time
moved across 17:00, 18:00, the alarm minute and 19:00."""
# Wine flashes only windows of the calling process: the flash, like sounds and
# shell launches, is counted in Wine's notes (WINEDEBUG channels of Tavo's).

import re
import subprocess
import time

from harness import ALARM, OUT, REPORT, TICK, ScenarioCase, settled, wait_until, write_wave

TARGET = "時報の窓"
FLASH = "fixme:win:NtUserFlashWindowEx"
FLASH_MESSAGE = "レジストリの点滅回数設定が正しくありません。\r\n初期設定値に戻しました。"


class Signals(ScenarioCase):
    def count(self, pattern):
        return len(re.findall(pattern, self.wine_log()))

    def to_the_hour(self, h, hour):
        self.s.set_fake_time(f"2026-03-14 {hour - 1}:59:58")
        self.assert_clock(h, TARGET, f"{hour - 1}:59,Mar,14")
        time.sleep(2 * TICK)
        self.probe.drain(h)
        self.s.set_fake_time(f"2026-03-14 {hour}:00:00")

    def alarm_box(self, shot, warm):  # its icon drawn warm (exclamation) or blue (information)
        box = self.boxes.wait(ALARM)
        self.assertEqual(self.boxes.text(box), "起きて!")
        want = {("button", "OK"): 0, ("button", "Cancel"): 1, ("static", ""): 3}  # BS_(DEF)PUSHBUTTON, SS_ICON
        seen = {}

        def form():  # the box gets its default button a moment after it appears
            seen.update({(cls.lower(), text.replace("&", "")): (cid, style & 0xF)
                         for cid, cls, text, style in self.probe.children(box)})
            return all(seen.get(k, (0, -1))[1] == v for k, v in want.items())

        wait_until(form, 5, 0.1, f"the box's buttons and icon, seen {seen}")
        l, t, r, b = self.probe.rect(box, seen[("static", "")][0])

        def drawn():
            self.s.screenshot(shot)
            red, blue = map(int, subprocess.run(
                ["convert", str(OUT / f"{shot}.png"), "-crop", f"{r - l}x{b - t}+{l}+{t}", "+repage", "-scale", "1x1!",
                 "-format", "%[fx:int(255*r)] %[fx:int(255*b)]", "info:"],
                capture_output=True, text=True, timeout=30, check=True).stdout.split())
            return red > blue + 30 if warm else blue > red + 30

        wait_until(drawn, 8, 0.2, "the icon drawn")
        return box

    def no_alarm_for(self, seconds):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            self.assertEqual(self.boxes.find(ALARM), 0)
            time.sleep(0.1)

    def test_flash_shake_chime_entries_and_the_alarm(self):
        write_wave(self.s.prefix / "drive_c" / "My Sounds" / "chime.wav")
        counts = ["0"] * 24
        counts[19] = "4"
        entries = {f"Cute19{n:02d}": rf"cmd /c echo {n}>C:\cute{n}.txt" for n in (4, 3, 1)}
        self.store("Plug in", TavoCt="1")
        self.store(TimeFuru="1", TimeFuruCount="2", TimePipo="1", PipoHato="1",
                   WaveFilePath1=r'"C:\My Sounds\chime.wav" /w', CuteCounts=",".join(counts), Cute1902="   ", **entries,
                   Alarm="1", AlarmTime="18:30", AlarmMessage="起きて!", WaveFilePath2=r"cmd /c echo called>>C:\callme.txt")
        h = self.window(TARGET)
        self.s.start_tavo(fake_time="2026-03-14 16:59:00", env={"WINEDEBUG": "-all,fixme+win,trace+winmm,trace+exec"})
        self.bring(h)
        left, top = self.probe.rect(h)[:2]
        self.to_the_hour(h, 17)

        # Five strikes at five o'clock, a flash run of 52 ticks and the shake:
        # three cycles of one pixel (the default 20 twips at 96 DPI), then
        # back in place. A strike holds the tick it comes in: the flash
        # pauses, not ends.
        self.assertEqual(settled(lambda: self.count(FLASH), 30, "the flash run to end", quiet=4.0), 52)
        self.assertEqual(self.count(r"SoundName=.*My Sounds\\\\chime\.wav"), 5)
        drive_c = self.s.prefix / "drive_c"
        cycle = [(left + 1, top), (left, top + 1), (left - 1, top), (left, top - 1)]
        self.assertEqual(self.probe.drain(h)[1], cycle * 3 + [(left, top)])
        self.assertEqual(self.probe.foreground()[0], h)

        # A bad flash limit opens one message, the flash waits for its answer
        # and runs on with the limit 50, stored. A tick or two may find no
        # window in front while the message goes away, and flash nothing.
        self.store(FlashLimit="999", TimeFuru="0", TimePipo="0")
        flashes = self.count(FLASH)
        self.to_the_hour(h, 18)
        box = self.boxes.wait(REPORT, 5)
        self.assertEqual(self.boxes.text(box), FLASH_MESSAGE)
        time.sleep(1.5)  # fifteen flash ticks come while it is open
        self.assertEqual([w[0] for w in self.probe.windows() if w[2].endswith(REPORT)], [box])
        self.assertEqual(self.count(FLASH) - flashes, 1, "the run waits for the answer")
        self.boxes.answer(REPORT)
        self.assertIn(settled(lambda: self.count(FLASH), 20, "the flash run to end") - flashes, range(50, 53))
        self.assertEqual(self.stored("FlashLimit"), "50")

        # The alarm calls its program and waits; the minutes go on, still one
        # box. Cancel counts one check; two more minutes pass, the next repeats.
        called = drive_c / "callme.txt"
        self.s.set_fake_time("2026-03-14 18:30:00")
        box = self.alarm_box("alarm", warm=True)
        wait_until(called.exists, 10, what="the Call Me program")
        for minute in (31, 32):
            self.s.set_fake_time(f"2026-03-14 18:{minute}:00")
            time.sleep(6 * TICK)
            self.assertEqual(len([w for w in self.probe.windows() if w[2] == ALARM]), 1)
            self.assertEqual(self.boxes.find(REPORT), 0)
        self.boxes.answer(ALARM, 2)  # IDCANCEL
        self.no_alarm_for(6 * TICK)
        self.s.set_fake_time("2026-03-14 18:33:00")
        self.no_alarm_for(8 * TICK)
        self.s.set_fake_time("2026-03-14 18:34:00")
        self.alarm_box("alarm_repeat", warm=False)
        wait_until(lambda: called.read_text().count("called") == 2, 10, what="the Call Me program again")
        self.boxes.answer(ALARM)
        for minute in range(35, 41):
            self.s.set_fake_time(f"2026-03-14 18:{minute}:00")
            self.no_alarm_for(5 * TICK)

        # The entries run from the highest number down. Their console windows
        # take the foreground, so they come at an hour without the flash.
        self.store(TimePika="0")
        self.bring(h)
        self.to_the_hour(h, 19)
        for n in (4, 3, 1):
            wait_until((drive_c / f"cute{n}.txt").exists, 15, what=f"entry {n} to run")
        self.assertEqual(re.findall(r"SHELL_execute mask=.*cute(\d)\.txt", self.wine_log()), ["4", "3", "1"])
        self.assertFalse((drive_c / "cute2.txt").exists())
