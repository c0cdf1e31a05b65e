// The clock in the foreground window's title: placement, restoring, keeping
// it through the window's own title changes.
#include "tests/unit/cycle_fixture.h"

namespace tavo {
namespace {

TEST_F(CycleTest, PlacementFormsFollowMinuteAndOwnTitleThenRestore) {
  // Titles outside the BMP: lengths and cuts count UTF-16 units.
  const std::u16string a = u"日記 😀 e\u0301", b = u"𠮷野家 𝄞";
  struct Case {
    std::uint8_t right, equal;
    std::u16string at2105, at2106, retitled;  // "" where the title stays the window's own
  };
  const Case cases[] = {
      {0, 0, u"21:05 " + a, u"21:06 " + a, u"21:06 " + b},
      {0, 1, u"21:05 = " + a, u"21:06 = " + a, u"21:06 = " + b},
      {1, 0, a + u" 21:05", a + u" 21:06", b + u" 21:06"},
      {1, 1, a + u" = 21:05", a + u" = 21:06", b + u" = 21:06"},
      {2, 1, u"", u"", u""}, {0, 2, u"", u"", u""}, {1, 255, u"", u"", u""},  // any other pair
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.right) << "," << int(c.equal));
    fresh();
    state.clockRight = c.right;
    state.equalSeparate = c.equal;
    const auto or_own = [](const std::u16string& s, const std::u16string& own) { return s.empty() ? own : s; };
    const WindowHandle w = desktop.open(u"Ed", a);
    at(21, 5);
    tick();
    EXPECT_EQ(desktop.title(w), or_own(c.at2105, a));
    at(21, 6);
    tick();
    EXPECT_EQ(desktop.title(w), or_own(c.at2106, a));
    desktop.rename(w, b);
    tick();
    EXPECT_EQ(desktop.title(w), or_own(c.retitled, b));
    const int writes = desktop.titleWrites(w), reads = desktop.titleReads();
    tick(3);
    EXPECT_EQ(desktop.titleWrites(w), writes) << "a settled title is rewritten";
    EXPECT_EQ(desktop.titleReads() - reads, 6);
    // Left as the minute turns: the title carries the clock placed before.
    at(21, 7);
    desktop.open(u"Other", u"B");
    tick();
    EXPECT_EQ(desktop.title(w), b);
  }
}

TEST_F(CycleTest, EditsKeepingTheClockAreCutByLengthAtThePlacedSide) {
  struct Case {
    std::uint8_t right;
    std::u16string pattern, edited, shown, own;
  };
  // 300 characters: beyond what a byte count could take off.
  const std::u16string xs(294, u'x'), longClock = u"21:05 " + xs, longPattern = u"%h:nn% " + xs;
  const Case cases[] = {
      {0, u"%h:nn%", u"21:05 = Doc*", u"21:05 = Doc*", u"Doc*"},
      {1, u"%h:nn%", u"Doc 😀 = 21:05", u"Doc 😀 = 21:05", u"Doc 😀"},
      {0, longPattern, longClock + u" = Doc*", longClock + u" = Doc*", u"Doc*"},
      {1, longPattern, u"Doc* = " + longClock, u"Doc* = " + longClock, u"Doc*"},
      // By length, not by where the clock is found.
      {0, u"%h:nn%", u"[x] 21:05 = Doc", u"21:05 = 5 = Doc", u"5 = Doc"},
      {1, u"%h:nn%", u"Doc = 21:05 [x]", u"Doc = 2 = 21:05", u"Doc = 2"},
  };
  for (const Case& c : cases) {
    fresh();
    state.clockRight = c.right;
    state.clockPattern = c.pattern;
    const WindowHandle w = desktop.open(u"Doc", u"Doc");
    tick();
    desktop.rename(w, c.edited);
    tick();
    EXPECT_EQ(desktop.title(w), c.shown);
    desktop.open(u"Other", u"B");
    tick();
    EXPECT_EQ(desktop.title(w), c.own);
  }
  EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(CycleTest, MovingTheClockToTheLeftKeepsASettledTitleUnwritten) {
  // The clock on the right drops the NUL from the own title; moved to the
  // left, the title must still read back as written, or the next steady tick
  // takes it for a new title of the window's own and rewrites it.
  for (const std::u16string own : {u"Doc", u""}) {
    fresh();
    at(21, 5);
    state.clockRight = 1;
    const WindowHandle w = desktop.open(u"Doc", own);
    tick();
    state.clockRight = 0;
    at(21, 6);
    tick();
    EXPECT_EQ(desktop.title(w), u"21:06 = " + own);
    const int writes = desktop.titleWrites(w);
    signals.clear();
    tick(3);
    EXPECT_EQ(desktop.titleWrites(w), writes);
    EXPECT_TRUE(signals.calls.empty());
  }
}

TEST_F(CycleTest, RightClockWithoutRoomForTheSeparatorIsReportedAndTheTitleKept) {
  state.clockRight = 1;
  const WindowHandle w = desktop.open(u"Doc", u"Doc");
  tick();
  desktop.rename(w, u"21:05");
  tick();
  EXPECT_TRUE(reported(u"frmMain!ChkCap", err::kInvalidArgument));
  EXPECT_EQ(desktop.title(w), u"Doc = 21:05");
  cycle->restoreCurrent();  // as at exit
  EXPECT_EQ(desktop.title(w), u"Doc");
}

TEST_F(CycleTest, VanishedAndHungWindowsAreLeftAlone) {
  const WindowHandle a = desktop.open(u"Doc", u"A");
  tick();
  desktop.close(a);  // nothing in front now
  tick();
  const WindowHandle b = desktop.open(u"Doc", u"B");
  tick();
  EXPECT_EQ(desktop.titleWrites(a), 1);
  desktop.hang(b);
  const WindowHandle c = desktop.open(u"Doc", u"C");
  tick();  // the write to the hung window is lost; the cycle carries on
  EXPECT_EQ(desktop.title(b), u"21:05 = B");
  EXPECT_EQ(desktop.title(c), u"21:05 = C");
  EXPECT_TRUE(prompt.shown.empty());
  std::u16string caption = u"left from an earlier read";
  cycle->GetCap(a, caption);
  EXPECT_EQ(caption, std::u16string(1, u'\0'));
}

}  // namespace
}  // namespace tavo
