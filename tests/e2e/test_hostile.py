"""Tavo.exe over hostile stored values: every key of the
product's key table at once, across 17:00, both dialogs opened and cancelled.
Tavo keeps running, no box comes twice, titles come back whole, and the store
keeps every value but those Tavo resets to their default and says so."""

import re
import time

from harness import MAIN_CLASS, ROOT, ScenarioCase, compose

SECTIONS = {"kSectionMain": "Main", "kSectionPlugIn": "Plug in"}
KEY_DEF = re.compile(r'inline constexpr KeyDef k\w+\{(kSection\w+),\s*u"([^"]*)",\s*u"([^"]*)"\}')
# (section, name) -> default, as Tavo reads them; the numbered families by a few members.
KEYS = {(SECTIONS[s], name): default for s, name, default in KEY_DEF.findall((ROOT / "settings" / "keys.h").read_text())}
KEYS.update({("Main", k): None for k in ("WindowList0", "WindowList1", "WindowList50", "WindowList51",
                                         "Cute1700", "Cute1701", "Cute1702", "Cute0901")})
RESET = "初期設定値に戻しました。"
LONG = "1234567890" * 10000
DETAILS_ID, DETAILS_CANCEL, ROSTER_ID = 115, 261, 114
TARGET, OTHER = "敵意の窓", "別の窓"

# name: (value of every key, keys set apart, patterns some box must show, the clock at 17:00 if checked)
ROWS = {
    "text": ("abc", {}, [], None),
    "1e400": ("1e400", {}, [], None),
    "-99999999999": ("-99999999999", {"TimeFuru": "1", "TimeFuruCount": "1"}, ["点滅回数設定", "振幅設定"], None),
    "empty": ("", {}, [], None),
    "control chars": ("\x01\t\r\n\x07\x1b\x7f\x00z", {}, [], None),
    "unpaired surrogate": ("1\ud800 \udc00", {}, [], None),
    # A title ends at its first NUL: the clock is what comes before it.
    "pattern with a NUL": (None, {"TavoXX": "1", "XXFormat": "時計\x01\t\r\n\x1b\x7f\x00隠れ"}, [], "時計\x01\t\r\n\x1b\x7f"),
    "pattern without its closing %": (None, {"TavoXX": "1", "XXFormat": "abc%h"}, [], "XXErr"),  # and no report
    "limit hour no digit": (None, {"TavoXX": "1", "XXFormat": "%kkxh:nn%"}, ["エラー番号:13\r\n.*場所:KTime-XXModule"],
                            "17:00"),
    # The details dialog would take half a minute to take in such texts under Wine.
    "100000 chars": (LONG, {"Alarm": "1", "AlarmTime": "17:00"}, ["1234567890"], None),
}


class Hostile(ScenarioCase):
    def row(self, name, value, apart, must, clock):
        keys = {k: value for k in KEYS} if value is not None else {}
        keys.update({next(k for k in KEYS if k[1] == key): v for key, v in apart.items()})
        for section, key in KEYS:
            self.probe.call("regdel", section, key)
        for (section, key), v in keys.items():
            self.probe.reg_set(section, key, v)
        before = self.dump()
        self.boxes.shown = []
        h, other = self.window(f"{TARGET} {name}"), self.window(f"{OTHER} {name}")
        self.s.start_tavo(fake_time="2026-03-14 16:59:58")
        self.boxes.drain()
        self.bring(h)
        self.boxes.until(lambda: self.probe.title(h) != f"{TARGET} {name}", 10, "the clock at 16:59")
        self.s.set_fake_time("2026-03-14 17:00:00")
        self.boxes.drain(quiet=2.0)
        if value != LONG:
            self.assertEqual(self.s.tavo_command(), 0)  # a second start shows the main window
            # The roster has no Cancel: closing it stores nothing.
            for button, cls, close in [(ROSTER_ID, "TavoRoster", ["close"]),
                                       (DETAILS_ID, "TavoDetails", ["press", DETAILS_CANCEL])]:
                self.probe.call("press", self.s.main, button)
                dialog = self.boxes.until(lambda: (lambda f: f[0] if f[1] == cls else 0)(self.probe.foreground()), 10,
                                          f"the {cls}")
                self.probe.call(close[0], dialog, *close[1:])
                self.boxes.until(lambda: not self.probe.exists(dialog), 15, f"the {cls} to close")
        self.boxes.drain()

        # Titles come back whole, and a steady minute writes no title.
        self.bring(other)
        self.boxes.until(lambda: self.probe.title(h) == f"{TARGET} {name}", 10, "the first window's own title back")
        clocked = self.boxes.until(lambda: (lambda t: t != f"{OTHER} {name}" and t)(self.probe.title(other)), 10,
                                   "the clock in the second")
        if clock is not None:
            self.assertEqual(clocked, compose(clock, f"{OTHER} {name}"))
        self.probe.drain(other)
        time.sleep(2)
        self.assertLessEqual(len(self.probe.received(other)), 1, "the title is rewritten on every tick")
        self.bring(h)
        self.boxes.until(lambda: self.probe.title(other) == f"{OTHER} {name}", 10, "the second window's own title back")

        self.assertIsNone(self.s.tavo.poll(), "Tavo ended")
        self.assertTrue(self.probe.find(MAIN_CLASS, ""))
        shown = self.boxes.shown
        self.assertEqual([b for b in shown if shown.count(b) > 1], [], "a box shown twice")
        for pattern in must:
            self.assertTrue(any(re.search(pattern, t, re.S) for _, t in shown), f"{pattern!r} among {shown}")
        after = self.dump()
        changed = {k for k in set(before) | set(after) if before.get(k) != after.get(k)}
        resets = [t for _, t in shown if RESET in t]
        self.assertEqual({k[1]: after.get(k) for k in changed}, {k[1]: (1, KEYS[k]) for k in changed if resets},
                         "stored values changed but for announced resets")
        self.assertLessEqual(len(changed), len(resets))
        self.probe.call("close", self.s.main)
        self.boxes.until(lambda: self.s.tavo.poll() is not None, 15, "Tavo to end")

    def test_hostile_stored_values(self):
        for name, row in ROWS.items():
            with self.subTest(value=name):
                self.row(name, *row)

