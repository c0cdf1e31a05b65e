// Records of the titles Tavo owes, kept where they outlive a killed Tavo: the
// give-back at start, and the cycle keeping them in step.
#include "main/title_ledger.h"
#include "tests/unit/cycle_fixture.h"

namespace tavo {
namespace {

using Records = std::map<WindowHandle, std::u16string>;
Records only(WindowHandle w, std::u16string_view text) {
  return text.empty() ? Records{} : Records{{w, std::u16string(text)}};
}

class LedgerTest : public OnFakes {
 protected:
  void tick(int times = 1) {
    for (int i = 0; i < times; ++i) app.tick();
  }
};

TEST_F(LedgerTest, StartGivesBackOnlyTitlesTavoLeft) {
  // record, title, title after the start
  const std::u16string cases[][3] = {
      {u"01日記 😀", u"19:55,Dec,7 = 日記 😀", u"日記 😀"},              // any clock: the minute moved on
      {u"01Hold A", u"19:55 = 19:53 = Hold A", u"Hold A"},             // doubled by an older Tavo
      {u"10Doc", u"Doc 7:01 PM", u"Doc"},                              // right, single blank
      {u"01Hold A", u"Hold B", u"Hold B"},                             // renamed itself
      {u"01Hold A", u"19:55 = Hold A*", u"19:55 = Hold A*"},           // edited its own part
      {u"11Doc", u"21:05 = Doc", u"21:05 = Doc"},                      // clock at the other side
      {u"01Doc", u"21:05 Doc", u"21:05 Doc"},                          // other separator
      {u"01Doc", u"Doc", u"Doc"},                                      // already given back
      {u"2xDoc", u"21:05 = Doc", u"21:05 = Doc"},                      // not a record
      {u"0", u"21:05 = ", u"21:05 = "},
  };
  std::vector<WindowHandle> windows;
  for (const auto& [record, title, after] : cases) {
    windows.push_back(desktop.open(u"Doc", title, false));
    ledger.entries[windows.back()] = record;
  }
  const WindowHandle gone = desktop.open(u"Doc", u"21:05 = Gone");
  ledger.entries[gone] = u"01Gone";
  desktop.close(gone);

  app.load();
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const auto& [record, title, after] = cases[i];
    SCOPED_TRACE(utf8(title));
    EXPECT_EQ(desktop.title(windows[i]), after);
    EXPECT_EQ(desktop.titleWrites(windows[i]), after == title ? 0 : 1);
  }
  EXPECT_TRUE(ledger.entries.empty());
  desktop.bringToFront(windows[0]);
  tick();
  EXPECT_EQ(desktop.title(windows[0]), app.cycle().clockText() + u" = 日記 😀");
}

TEST_F(LedgerTest, RecordsTheWindowInFrontWithItsPlacementAndNoOther) {
  // clock on the right, separator, the record of a window carrying the clock
  const std::tuple<std::uint8_t, std::uint8_t, std::u16string> cases[] = {
      {0, 0, u"00日記 😀"}, {1, 1, u"11日記 😀"}, {2, 1, u""}, {0, 2, u""}};
  for (const auto& [right, equal, record] : cases) {
    state.clockRight = right;
    state.equalSeparate = equal;
    const WindowHandle a = desktop.open(u"Doc", u"日記 😀");
    tick();
    EXPECT_EQ(ledger.entries, only(a, record));
    const int writes = ledger.writes;
    tick(3);
    at(21, 6);
    tick(2);
    EXPECT_EQ(ledger.writes, writes) << "steady ticks and a new minute write records";
    const WindowHandle b = desktop.open(u"Doc", u"B");
    tick();
    EXPECT_EQ(desktop.title(a), u"日記 😀");
    EXPECT_EQ(ledger.entries, only(b, record.empty() ? u"" : record.substr(0, 2) + u"B"));
  }
}

// A window that does not take its title back, at a switch or as Tavo goes
// down, keeps its record; once it takes it, the record goes.
TEST_F(LedgerTest, AWindowThatDidNotTakeItsTitleBackKeepsItsRecord) {
  state.roster = {u"Excluded"};
  for (bool goingDown : {false, true}) {
    const WindowHandle a = desktop.open(u"Doc", u"A");
    tick();
    desktop.hang(a);
    goingDown ? app.goingDown() : (desktop.open(u"Excluded", u"B"), tick(2));
    EXPECT_EQ(desktop.title(a), u"21:05 = A");
    EXPECT_EQ(ledger.entries, (Records{{a, u"01A"}}));
    if (goingDown) break;
    desktop.hang(a, false);
    tick(3);
    EXPECT_EQ(desktop.title(a), u"A");
    EXPECT_EQ(ledger.entries, Records{});
  }
}

}  // namespace
}  // namespace tavo
