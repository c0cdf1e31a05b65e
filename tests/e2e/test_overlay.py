"""The overlay clock on a window that draws its own title bar: where it stands,
which windows get it, a hung owner, and the switch in the details dialog."""

import time

from harness import ScenarioCase, wait_until

OVERLAY, DETAILS_ID = "TavoOverlay", 115
FAKE_TIME, CLOCK = "2026-12-08 12:34:00", "12:34,Dec,8"


class Overlay(ScenarioCase):
    def bare(self, title, cls="ProbeBare", dpi=96):
        return int(self.probe.call("createbare", cls, title, dpi)[0])

    def overlay(self):  # the shown overlay's handle and text
        return next(((h, t) for h, cls, t in self.probe.windows() if cls == OVERLAY), None)

    def overlay_on(self, hwnd, dpi=96):  # its rectangle once it stands on hwnd's title bar
        def placed():
            h, text = self.overlay() or (0, "")
            if text != CLOCK:
                return None
            r, (left, top, right, _) = self.probe.rect(h), self.probe.rect(hwnd)
            # Inside the top band, right-aligned 144 px at 96 DPI from the right edge.
            inside = left < r[0] and r[1] == top and r[3] <= top + 32 * dpi // 96
            return r if inside and r[2] == right - 144 * dpi // 96 else None
        return wait_until(placed, 5, 0.1, f"the overlay on window {hwnd}")

    def none_for(self, seconds=1.5):  # hidden at once, and not shown again
        wait_until(lambda: self.overlay() is None, 3, 0.1, "the overlay to hide")
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            self.assertIsNone(self.overlay())

    def test_overlay_on_a_self_drawn_title_bar(self):
        self.store(WindowList0="ProbeShunned")
        bare, normal = self.bare("自前のタイトルバー"), self.window("ふつうの窓")
        shunned = self.bare("名簿の窓", "ProbeShunned")
        self.s.start_tavo(FAKE_TIME)
        self.bring(bare)
        first = self.overlay_on(bare)
        self.assert_clock(bare, "自前のタイトルバー", CLOCK)  # the title keeps its clock as well
        self.s.screenshot("overlay_96dpi")
        self.probe.call("move", bare, 300, 250)
        self.assertNotEqual(self.overlay_on(bare), first)
        for other in (normal, shunned):  # another window in front; a window that never gets one
            self.bring(other)
            self.none_for()

        # Owned by a window that hangs: Tavo keeps ticking, the overlay goes with another window in front.
        self.probe.call("front", bare)
        self.probe.call("hang", bare, 4000)
        self.overlay_on(bare)
        started = time.monotonic()
        self.bring(normal)
        self.assert_clock(normal, "ふつうの窓", CLOCK)
        wait_until(lambda: self.overlay() is None, 3, 0.1, "the overlay to hide")
        self.assertLess(time.monotonic() - started, 2.5, "not held up by the hung window")
        self.s.stop_tavo()

        # At 144 DPI; then switched off in the details dialog.
        self.s.set_dpi(144)
        large = self.bare("自前のタイトルバー 144 DPI", dpi=144)
        self.s.start_tavo(FAKE_TIME)
        self.bring(large)
        self.overlay_on(large, 144)
        self.s.screenshot("overlay_144dpi")
        self.probe.call("press", self.s.main, DETAILS_ID)
        self.in_front("TavoDetails")
        self.keys("alt+o", "Return")
        wait_until(lambda: self.stored("Overlay") == "0", 5, 0.1, "Overlay stored as 0")
        self.bring(large)
        self.assert_clock(large, "自前のタイトルバー 144 DPI", CLOCK)
        self.none_for()
