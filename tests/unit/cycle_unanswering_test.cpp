// Windows whose program stops answering: title writes are lost until it
// answers again, and the clock must neither stay behind nor pile up.
#include "tests/unit/cycle_fixture.h"

namespace tavo {
namespace {

// Tries at a window that does not answer are spaced 1, 2, 4 ... 16 ticks:
// 5 in 40 ticks, and one at least every 17.
constexpr int kTriesIn40Ticks = 5;
constexpr int kLongestGap = 17;

TEST_F(CycleTest, WindowHungWhenItLosesTheFrontGetsItsOwnTitleLater) {
  enum class Then { kAnswers, kCloses, kRetitles };
  for (Then then : {Then::kAnswers, Then::kCloses, Then::kRetitles}) {
    SCOPED_TRACE(static_cast<int>(then));
    fresh();
    const WindowHandle a = desktop.open(u"Doc", u"A");
    tick();
    desktop.hang(a);
    const WindowHandle b = desktop.open(u"Doc", u"B");
    tick();
    EXPECT_EQ(desktop.title(a), u"21:05 = A");
    EXPECT_EQ(desktop.title(b), u"21:05 = B");

    int writes = desktop.titleWrites(a);
    tick(40);
    EXPECT_EQ(desktop.titleWrites(a) - writes, kTriesIn40Ticks);

    switch (then) {
      case Then::kAnswers: desktop.hang(a, false); break;
      case Then::kCloses: desktop.close(a); break;
      case Then::kRetitles: desktop.hang(a, false), desktop.rename(a, u"A, saved"); break;
    }
    tick(kLongestGap);
    EXPECT_EQ(desktop.title(a), then == Then::kAnswers ? u"A" : then == Then::kCloses ? u"" : u"A, saved");
    writes = desktop.titleWrites(a);
    tick(40);
    EXPECT_EQ(desktop.titleWrites(a), writes) << "nothing is owed any more";
    EXPECT_EQ(desktop.title(b), u"21:05 = B");
  }
  EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(CycleTest, HungInFrontAcrossAMinuteKeepsOneClock) {
  for (bool waitForIt : {true, false}) {
    SCOPED_TRACE(waitForIt);
    fresh();
    at(21, 5);
    const WindowHandle a = desktop.open(u"Doc", u"A");
    tick();
    desktop.hang(a);
    at(21, 6);
    const int writes = desktop.titleWrites(a);
    tick(40);
    EXPECT_EQ(desktop.title(a), u"21:05 = A");
    EXPECT_LE(desktop.titleWrites(a) - writes, 1 + kTriesIn40Ticks) << "not a write every tick";

    desktop.hang(a, false);
    if (waitForIt) {
      tick(kLongestGap);
      EXPECT_EQ(desktop.title(a), u"21:06 = A");
    }
    desktop.open(u"Doc", u"B");
    tick();
    EXPECT_EQ(desktop.title(a), u"A");
  }
}

TEST_F(CycleTest, BackInFrontStillCarryingAnOldClock) {
  const WindowHandle a = desktop.open(u"Doc", u"A");
  tick();
  desktop.hang(a);
  const WindowHandle b = desktop.open(u"Doc", u"B");
  tick();
  at(21, 6);
  desktop.hang(a, false);
  desktop.bringToFront(a);  // before the cycle tried again
  tick();
  EXPECT_EQ(desktop.title(a), u"21:06 = A");
  desktop.bringToFront(b);
  tick();
  EXPECT_EQ(desktop.title(a), u"A");
  EXPECT_EQ(desktop.title(b), u"21:06 = B");
}

TEST_F(CycleTest, NewWindowHungBeforeItTookTheClock) {
  const WindowHandle a = desktop.open(u"Doc", u"A", false);
  desktop.hang(a);
  desktop.bringToFront(a);
  tick(3);
  EXPECT_EQ(desktop.title(a), u"A");
  desktop.hang(a, false);
  tick(kLongestGap);
  EXPECT_EQ(desktop.title(a), u"21:05 = A");
  desktop.open(u"Doc", u"B");
  tick();
  EXPECT_EQ(desktop.title(a), u"A");
}

}  // namespace
}  // namespace tavo
