"""The rig checks itself: if the probe misreads a title, misses a write or
blocks on a hung window, every Tavo scenario built on it would lie."""

import subprocess
import time
import unittest

from harness import (RigError, ScenarioCase, compose, decode_fields, default_clock,
                     encode_fields, wait_until)


class Protocol(unittest.TestCase):
    def test_fields_survive_the_line_format(self):
        cases = [["plain"], ["a\tb", "c\nd\re"], ["back\\slash", "\\t is not a tab"], ["", ""],
                 ["終わり\\"], ["🎉 Ω 한국어"]]
        for fields in cases:
            with self.subTest(fields=fields):
                line = encode_fields(fields)
                self.assertNotIn("\n", line)
                self.assertEqual(decode_fields(line), fields)

    def test_expected_clock_texts(self):
        t = time.strptime("2026-12-06 21:05:07", "%Y-%m-%d %H:%M:%S")
        self.assertEqual(default_clock(t), "21:05,Dec,6")
        t = time.strptime("2026-01-18 02:30:00", "%Y-%m-%d %H:%M:%S")
        self.assertEqual(default_clock(t), "2:30,Jan,18")
        self.assertEqual(compose("C", "T"), "C = T")
        self.assertEqual(compose("C", "T", right=1, equal=0), "T C")


class Probe(ScenarioCase):
    def test_titles_round_trip_exactly(self):
        titles = ["Probe", "tab\there", "🎉 emoji, Ω, 한국어, ℃, 𠮷", "ｽﾍﾟﾙﾁｪｯｸ", "back\\slash", " lead and trail "]
        for title in titles:
            with self.subTest(title=title):
                h = self.probe.create("ProbeRoundTrip", title)
                self.assertEqual(self.probe.title(h), title)
                self.assertEqual(self.probe.call("class", h), ["ProbeRoundTrip"])
                self.probe.set_title(h, title + "!")
                self.assertEqual(self.probe.title(h), title + "!")

    def test_counts_only_writes_by_others(self):
        h = self.probe.create("ProbeCount", "start")
        self.probe.set_title(h, "own title")  # the window's own write
        self.assertEqual(self.probe.received(h), [])
        self.probe.call("write", h, "from outside")
        self.probe.call("write", h, "again")
        self.assertEqual(self.probe.received(h), ["from outside", "again"])
        self.probe.call("forget", h)
        self.assertEqual(self.probe.received(h), [])

    def test_a_hung_window_blocks_nothing_but_itself(self):
        a = self.probe.create("ProbeHung", "hung")
        b = self.probe.create("ProbeAwake", "awake")
        self.probe.front(a)
        self.probe.call("hang", a, 9000)
        time.sleep(0.2)
        started = time.monotonic()
        self.assertEqual(self.probe.title(a), "hung")
        self.probe.front(b)
        self.probe.set_title(b, "still awake")
        self.assertLess(time.monotonic() - started, 1.5)
        self.assertEqual(self.probe.foreground(), (b, "ProbeAwake", "still awake"))
        with self.assertRaises(RigError):
            self.probe.set_title(a, "never")  # its thread is asleep: bounded, then an error
        self.assertLess(time.monotonic() - started, 7.5)

    def test_foreground_follows_front(self):
        hs = [self.probe.create("ProbeFront", f"w{i}") for i in range(3)]
        for h in [hs[0], hs[2], hs[1], hs[0]]:
            self.probe.front(h)
            wait_until(lambda: self.probe.foreground()[0] == h, 3, what=f"{h} in front")

    def test_registry_values(self):
        p = self.probe
        self.assertIsNone(p.reg_get("Main", "AlarmMessage"))
        p.reg_set("Main", "AlarmMessage", "時間だよ(^^)")
        p.reg_set("Plug in", "TavoXX", "1")
        self.assertEqual(p.reg_get("Main", "alarmmessage"), "時間だよ(^^)")
        self.assertEqual(p.reg_get("Plug in", "TavoXX"), "1")
        p.call("regdel", "Main", "AlarmMessage")
        p.call("regdel", "Main", "AlarmMessage")  # already gone: fine
        self.assertIsNone(p.reg_get("Main", "AlarmMessage"))

    def test_message_boxes_are_read_and_answered(self):
        p = self.probe
        p.call("alert", "エラー - Probe", "一行目\r\n二行目")
        h, text = wait_until(lambda: (lambda r: r if r[1] else None)(p.call("msgbox", "エラー - Probe")), 5,
                             what="the box")
        self.assertEqual(text, "一行目\r\n二行目")
        p.call("press", h, "Cancel")
        wait_until(lambda: p.call("msgbox", "エラー - Probe")[0] == "0", 5, what="the box to close")

    def test_notepad(self):
        proc = subprocess.Popen(["wine", "notepad"], env=self.s.env, stdout=self.s.log, stderr=self.s.log)
        self.s.procs.append(proc)
        h = wait_until(lambda: self.probe.find("Notepad", ""), 15, 0.1, "notepad")
        self.assertIn("Notepad", self.probe.title(h))

    def test_fake_local_time(self):
        # libfaketime reaches Wine programs: the probe's own GetLocalTime follows the file.
        slow = self.s.start_probe(self.s.fake_clock("2026-01-18 23:59:30"))
        self.assertEqual(slow.call("localtime"), ["2026-01-18 23:59:30"])
        self.s.set_fake_time("2027-02-01 04:59:59")
        self.assertEqual(slow.call("localtime"), ["2027-02-01 04:59:59"])
        time.sleep(1.1)
        self.assertEqual(slow.call("localtime"), ["2027-02-01 04:59:59"], "the clock stands still")
        now = self.probe.call("localtime")[0]
        self.assertNotEqual(now[:4], "2027", "other programs keep the real time")


if __name__ == "__main__":
    unittest.main()
