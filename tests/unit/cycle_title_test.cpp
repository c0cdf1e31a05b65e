// The clock in the foreground window's title: placement, restoring, keeping
// it through the window's own title changes, windows on the roster.
#include "tests/unit/cycle_fixture.h"

namespace tavo {
namespace {

using namespace std::literals;

std::u16string placed(std::u16string_view clock, std::u16string_view own, int right) {
  return right ? std::u16string(own) + u" = " + std::u16string(clock) : std::u16string(clock) + u" = " + std::u16string(own);
}

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
    state.clockRight = c.right;
    state.equalSeparate = c.equal;
    fresh();
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
  // 300 characters: beyond what a byte count could take off.
  const std::u16string xs(294, u'x'), longClock = u"21:05 " + xs, longPattern = u"%h:nn% " + xs;
  const struct {
    std::uint8_t right;
    std::u16string pattern, edited, shown, own;
  } cases[] = {
      {0, u"%h:nn%", u"21:05 = Doc*", u"21:05 = Doc*", u"Doc*"},
      {1, u"%h:nn%", u"Doc 😀 = 21:05", u"Doc 😀 = 21:05", u"Doc 😀"},
      {0, longPattern, longClock + u" = Doc*", longClock + u" = Doc*", u"Doc*"},
      {1, longPattern, u"Doc* = " + longClock, u"Doc* = " + longClock, u"Doc*"},
      // By length, not by where the clock is found.
      {0, u"%h:nn%", u"[x] 21:05 = Doc", u"21:05 = 5 = Doc", u"5 = Doc"},
      {1, u"%h:nn%", u"Doc = 21:05 [x]", u"Doc = 2 = 21:05", u"Doc = 2"},
  };
  for (const auto& c : cases) {
    state.clockRight = c.right;
    state.clockPattern = c.pattern;
    fresh();
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

// Clocks a hand-written pattern makes out of the ordinary: one with a NUL
// inside is shown up to it; an empty one takes nothing off a new title.
TEST_F(CycleTest, ClocksWithANulOrEmptyKeepTheOwnTitle) {
  for (const auto& [pattern, clock] : {std::pair{u"時計\x07\0隠れ"s, u"時計\x07"s}, std::pair{u""s, u""s}}) {
    for (int right : {0, 1}) {
      SCOPED_TRACE(utf8(clock) + (right ? " right" : " left"));
      at(21, 5);
      state.clockRight = static_cast<std::uint8_t>(right);
      state.clockPattern = pattern;
      fresh();
      const WindowHandle doc = desktop.open(u"Notepad", u"Doc");
      tick(5);
      EXPECT_EQ(desktop.title(doc), placed(clock, u"Doc", right));
      EXPECT_EQ(desktop.titleWrites(doc), 1) << "written on every tick";
      // Titles of its own, in a tick of their own and on a change of minute.
      desktop.rename(doc, u"Doc 2");
      tick();
      EXPECT_EQ(desktop.title(doc), placed(clock, u"Doc 2", right));
      desktop.rename(doc, u"Doc 3");
      at(21, 6);
      tick();
      EXPECT_EQ(desktop.title(doc), placed(clock, u"Doc 3", right));
      // An edit that keeps the clock.
      desktop.rename(doc, placed(clock, u"Doc 4", right));
      tick();
      EXPECT_EQ(desktop.title(doc), placed(clock, u"Doc 4", right));
      desktop.open(u"WordPad", u"Other");
      tick();
      EXPECT_EQ(desktop.title(doc), u"Doc 4");
    }
  }
}

TEST_F(CycleTest, MovingTheClockToTheLeftKeepsASettledTitleUnwritten) {
  // The clock on the right drops the NUL from the own title; moved to the
  // left, the title must still read back as written.
  for (const std::u16string own : {u"Doc", u""}) {
    at(21, 5);
    state.clockRight = 1;
    fresh();
    const WindowHandle w = desktop.open(u"Doc", own);
    tick();
    state.clockRight = 0;
    at(21, 6);
    tick();
    EXPECT_EQ(desktop.title(w), u"21:06 = " + own);
    const int writes = desktop.titleWrites(w);
    recorded.clear();
    tick(3);
    EXPECT_EQ(desktop.titleWrites(w), writes);
    EXPECT_TRUE(recorded.calls.empty());
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

TEST_F(CycleTest, VanishedWindowIsLeftAlone) {
  const WindowHandle a = desktop.open(u"Doc", u"A");
  tick();
  desktop.close(a);  // nothing in front now
  tick();
  const WindowHandle b = desktop.open(u"Doc", u"B");
  tick();
  EXPECT_EQ(desktop.titleWrites(a), 1);
  EXPECT_EQ(desktop.title(b), u"21:05 = B");
  EXPECT_TRUE(prompt.shown.empty());
  TitleRead caption(u"left from an earlier read");
  cycle->GetCap(a, caption);
  EXPECT_EQ(caption.asRead(), std::u16string_view(u"\0", 1));
}

TEST_F(CycleTest, RosterExcludesExactClassNamesButKeepsTheHourlyCheck) {
  const struct {
    std::vector<std::u16string> roster;
    std::u16string_view className;
    bool excluded;
  } cases[] = {
      {{u"Vim"}, u"Vim", true},  {{u"Ed", u"Vim", u"Word"}, u"Vim", true}, {{u"Vim"}, u"vim", false},
      {{u"vim"}, u"Vim", false}, {{u"Vim"}, u"Vim2", false}, {{u"Vim"}, u"Vi", false},
      {{u"Vim "}, u"Vim", false}, {{}, u"Vim", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(utf8(c.className));
    at(21, 5, 7);
    state.roster = c.roster;
    fresh();
    const WindowHandle w = desktop.open(std::u16string(c.className), u"a.txt");
    tick();
    desktop.rename(w, u"a.txt [+]");  // its own changes survive, also the first window's
    tick();
    at(21, 6);
    tick();
    desktop.open(u"Other", u"B");
    tick();
    EXPECT_EQ(desktop.titleWrites(w) == 0, c.excluded);
    EXPECT_EQ(desktop.title(w), u"a.txt [+]");
    const SignalCall own{SignalCall::kPika, c.excluded}, other{SignalCall::kPika, 0};
    EXPECT_EQ(recorded.calls, (std::vector<SignalCall>{own, own, own, other}));
  }
}

}  // namespace
}  // namespace tavo
