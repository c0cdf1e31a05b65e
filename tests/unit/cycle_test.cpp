// The clock in the foreground window's title: placement, restoring, the
// window's own title changes, the roster, windows that stop answering, when
// the signals are called; the pattern and the roster as read from the store.
#include <map>

#include "tests/unit/cycle_fixture.h"

namespace tavo {
namespace {

using namespace std::literals;

std::u16string placed(std::u16string_view clock, std::u16string_view own, int right, int equal = 1) {
  const std::u16string sep = equal ? u" = " : u" ";
  return right ? std::u16string(own) + sep + std::u16string(clock) : std::u16string(clock) + sep + std::u16string(own);
}

TEST_F(CycleTest, EditsKeepingTheClockAreCutByLengthAtThePlacedSide) {
  // 300 characters: beyond what a byte count could take off.
  const std::u16string xs(294, u'x'), longClock = u"21:05 " + xs, longPattern = u"%h:nn% " + xs;
  // clock on the right, pattern, the title as edited, as shown then, its own title
  const std::tuple<std::uint8_t, std::u16string, std::u16string, std::u16string, std::u16string> cases[] = {
      {0, u"%h:nn%", u"21:05 = Doc*", u"21:05 = Doc*", u"Doc*"},
      {1, u"%h:nn%", u"Doc 😀 = 21:05", u"Doc 😀 = 21:05", u"Doc 😀"},
      {0, longPattern, longClock + u" = Doc*", longClock + u" = Doc*", u"Doc*"},
      {1, longPattern, u"Doc* = " + longClock, u"Doc* = " + longClock, u"Doc*"},
      // By length, not by where the clock is found.
      {0, u"%h:nn%", u"[x] 21:05 = Doc", u"21:05 = 5 = Doc", u"5 = Doc"},
      {1, u"%h:nn%", u"Doc = 21:05 [x]", u"Doc = 2 = 21:05", u"Doc = 2"},
  };
  for (const auto& [right, pattern, edited, shown, own] : cases) {
    state.clockRight = right;
    state.clockPattern = pattern;
    fresh();
    const WindowHandle w = show(u"Doc");
    retitle(w, edited);
    EXPECT_EQ(desktop.title(w), shown);
    show(u"B", u"Other");
    EXPECT_EQ(desktop.title(w), own);
  }
  EXPECT_TRUE(prompt.shown.empty());
}

// A clock with a NUL inside is shown up to it; an empty one takes nothing
// off a new title.
TEST_F(CycleTest, ClocksWithANulOrEmptyKeepTheOwnTitle) {
  for (const auto& [pattern, clock] : {std::pair{u"時計\x07\0隠れ"s, u"時計\x07"s}, std::pair{u""s, u""s}}) {
    for (int right : {0, 1}) {
      SCOPED_TRACE(utf8(clock) + (right ? " right" : " left"));
      state.clockRight = static_cast<std::uint8_t>(right);
      state.clockPattern = pattern;
      fresh();
      const WindowHandle doc = desktop.open(u"Notepad", u"Doc");
      tick(5);
      EXPECT_EQ(desktop.title(doc), placed(clock, u"Doc", right));
      EXPECT_EQ(desktop.titleWrites(doc), 1) << "written on every tick";
      // Own titles in a tick of their own and on a change of minute, then an edit keeping the clock.
      for (const auto& own : {u"Doc 2"s, u"Doc 3"s, u"Doc 4"s}) {
        desktop.rename(doc, own == u"Doc 4" ? placed(clock, own, right) : own);
        if (own == u"Doc 3") at(21, 6);
        tick();
        EXPECT_EQ(desktop.title(doc), placed(clock, own, right));
      }
      show(u"Other", u"WordPad");
      EXPECT_EQ(desktop.title(doc), u"Doc 4");
    }
  }
}

TEST_F(CycleTest, MovingTheClockToTheLeftKeepsASettledTitleUnwritten) {
  // On the right the NUL is dropped from the own title; moved left, the title must still read back as written.
  for (const std::u16string own : {u"Doc", u""}) {
    state.clockRight = 1;
    fresh();
    const WindowHandle w = show(own);
    state.clockRight = 0;
    tickAt(21, 6);
    EXPECT_EQ(desktop.title(w), u"21:06 = " + own);
    const int writes = desktop.titleWrites(w);
    tick(3);
    EXPECT_EQ(desktop.titleWrites(w), writes);
  }
}

TEST_F(CycleTest, RightClockWithoutRoomForTheSeparatorIsReportedAndTheTitleKept) {
  state.clockRight = 1;
  const WindowHandle w = show(u"Doc");
  retitle(w, u"21:05");
  EXPECT_TRUE(reported(u"frmMain!ChkCap", err::kInvalidArgument));
  EXPECT_EQ(desktop.title(w), u"Doc = 21:05");
  cycle->restoreCurrent();  // as at exit
  EXPECT_EQ(desktop.title(w), u"Doc");
}

TEST_F(CycleTest, VanishedWindowIsLeftAlone) {
  const WindowHandle a = show(u"A");
  desktop.close(a);  // nothing in front now
  tick();
  const WindowHandle b = show(u"B");
  EXPECT_EQ(desktop.titleWrites(a), 1);
  EXPECT_EQ(desktop.title(b), u"21:05 = B");
  EXPECT_TRUE(prompt.shown.empty());
  TitleRead caption(u"left from an earlier read");
  cycle->GetCap(a, caption);
  EXPECT_EQ(caption.asRead(), std::u16string_view(u"\0", 1));
}

TEST_F(CycleTest, RosterExcludesExactClassNamesButKeepsTheHourlyCheck) {
  using Names = std::vector<std::u16string>;
  const std::tuple<Names, std::u16string, bool> cases[] = {
      {{u"Vim"}, u"Vim", true}, {{u"Ed", u"Vim", u"Word"}, u"Vim", true}, {{u"Vim"}, u"vim", false},
      {{u"Vim"}, u"Vim2", false}, {{}, u"Vim", false}};
  for (const auto& [roster, className, excluded] : cases) {
    SCOPED_TRACE(utf8(className));
    state.roster = roster;
    fresh();
    const WindowHandle w = show(u"a.txt", className);
    desktop.rename(w, u"a.txt [+]");  // its own changes survive, also the first window's
    tick();
    tickAt(21, 6);
    show(u"B", u"Other");
    EXPECT_EQ(desktop.titleWrites(w) == 0, excluded);
    EXPECT_EQ(desktop.title(w), u"a.txt [+]");
    const SignalCall own{SignalCall::kPika, excluded}, other{SignalCall::kPika, 0};
    EXPECT_EQ(recorded.calls, (std::vector<SignalCall>{own, own, own, other}));
  }
}

// Windows whose program stops answering: tries are spaced 1, 2, 4 ... 16
// ticks, 5 in 40 ticks and one at least every 17.
constexpr int kTriesIn40Ticks = 5, kLongestGap = 17;

// Hung as it came to the front, or in front across a minute: no write every tick, the clock once it answers.
TEST_F(CycleTest, HungInFrontKeepsOneClockAndTakesTheNewOneOnceItAnswers) {
  for (const auto& [hungFirst, waitForIt] : {std::pair{true, true}, {false, true}, {false, false}}) {
    SCOPED_TRACE(testing::Message() << hungFirst << waitForIt);
    fresh();
    const WindowHandle a = desktop.open(u"Doc", u"A", !hungFirst);
    desktop.hang(a, hungFirst);
    desktop.bringToFront(a);
    tick();
    desktop.hang(a);
    at(21, 6);
    const int writes = desktop.titleWrites(a);
    tick(40);
    EXPECT_EQ(desktop.title(a), hungFirst ? u"A" : u"21:05 = A");
    EXPECT_LE(desktop.titleWrites(a) - writes, 1 + kTriesIn40Ticks) << "not a write every tick";
    desktop.hang(a, false);
    if (waitForIt) tick(kLongestGap);
    EXPECT_EQ(desktop.title(a), waitForIt ? u"21:06 = A" : u"21:05 = A");
    show(u"B");
    EXPECT_EQ(desktop.title(a), u"A");
  }
}

TEST_F(CycleTest, AlarmCheckOncePerChangeOfHourAndMinute) {
  // 21:05:00 to 21:07:59, a tick a second; the first tick counts.
  for (const auto& [alarmOn, pattern, checks] : {std::tuple{1, u"%h:nn%"s, 3}, {1, u"%h:nn:ss%"s, 3}, {1, u"%s%"s, 3},
                                                  {0, u"%h:nn%"s, 0}, {2, u"%h:nn:ss%"s, 0}}) {
    fresh();
    state.alarmOn = static_cast<std::uint8_t>(alarmOn);
    state.clockPattern = pattern;
    const WindowHandle w = desktop.open(u"Doc", u"Doc");
    for (int s = 0; s < 180; ++s) {
      at(21, 5 + s / 60, s % 60);
      if (s == 90) desktop.rename(w, u"Doc2");
      if (s == 120) desktop.open(u"Doc", u"Other");  // a new window on a new minute
      tick();
    }
    EXPECT_EQ(recorded.count(SignalCall::kAlarm), checks) << utf8(pattern);
    // The hourly check: new windows, new keys, the own title change (a new key too with seconds).
    EXPECT_EQ(recorded.count(SignalCall::kPika), pattern.find(u's') != pattern.npos ? 180 : 1 + 2 + 1);
  }
}

TEST_F(CycleTest, TickNestedInTheHourlyCheckNeitherRepeatsNorRewinds) {
  // The cuckoo strikes yield to the message loop: a tick runs inside
  // ChkPika and sees a later minute than the tick around it.
  state.alarmOn = 1;
  const WindowHandle w = show(u"Doc");
  recorded.onPika = [&] { if (clock.time.minute == 0) tickAt(22, 1); };
  recorded.clear();
  tickAt(22, 0);
  EXPECT_EQ(desktop.title(w), u"22:01 = Doc");
  const int writes = desktop.titleWrites(w);
  tickAt(22, 1, 30);
  EXPECT_EQ(recorded.count(SignalCall::kAlarm), 1);
  EXPECT_EQ(desktop.titleWrites(w), writes) << "the time key stepped back";
}

TEST_F(CycleTest, FailuresOfTheChecksAreReportedUnderTheTickWhichGoesOn) {
  state.alarmOn = 1;
  const WindowHandle w = show(u"Doc");
  recorded.onAlarm = [] { raise(err::kTypeMismatch); };
  recorded.onPika = [] { raise(err::kOverflow); };
  at(21, 6);
  tick(2);
  EXPECT_TRUE(reported(kTickLocation, err::kTypeMismatch) && reported(kTickLocation, err::kOverflow));
  EXPECT_EQ(desktop.title(w), u"21:06 = Doc");
  EXPECT_EQ(recorded.count(SignalCall::kAlarm), 2) << "the minute is not checked again";
}

TEST_F(CycleTest, StdFormatAssemblesThePatternFromTheDisplaySettings) {
  const std::tuple<std::map<std::u16string, std::u16string>, int, std::u16string_view> cases[] = {
      {{}, 0, u"%h:nn%,%mmm%,%d%"},
      {{}, 1, u"%h:nn%,%m%/%d%"},
      {{{u"24h", u"0"}, {u"ShowSecond", u"1"}, {u"ShowYear", u"1"}, {u"ShowDay", u"1"}}, 1,
       u"%tt h:nn:ss%,%yy%,%m%/%d%,%aaa%"},
      // The number decides, not the text.
      {{{u"ShowSecond", u"1.0"}, {u"ShowYear", u"01"}, {u"ShowDay", u" 1 "}}, 0, u"%h:nn:ss%,%yy%,%mmm%,%d%,%ddd%"},
      {{{u"24h", u"2"}, {u"ShowDate", u"0"}}, 0, u"%tt h:nn%"},
      {{{u"24h", u"0"}, {u"ShowSecond", u"-1"}}, 0, u"%tt h:nn%,%mmm%,%d%"},
      {{{u"ShowYear", u"1"}, {u"ShowDay", u"1"}}, 2, u"%h:nn%,%yy%"},  // a taste naming no option
  };
  for (const auto& [values, taste, pattern] : cases) {
    store = {};
    for (const auto& [key, value] : values) settings.save(kSectionMain, key, value);
    EXPECT_EQ(utf8(GetStdFormat(settings, taste)), utf8(pattern));
  }
  settings.save(kSectionMain, u"ShowYear", u"yes");
  EXPECT_THROW(GetStdFormat(settings, 0), Error);
}

}  // namespace
}  // namespace tavo
