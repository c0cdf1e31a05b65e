// Windows on the roster never get the clock (the spell-check rule is left to
// the end-to-end suite).
#include "tests/unit/cycle_fixture.h"

namespace tavo {
namespace {

using fake::SignalCall;

TEST_F(CycleTest, RosterExcludesExactClassNamesButKeepsTheHourlyCheck) {
  struct Case {
    std::vector<std::u16string> roster;
    std::u16string_view className;
    bool excluded;
  };
  const Case cases[] = {
      {{u"Vim"}, u"Vim", true},      {{u"Ed", u"Vim", u"Word"}, u"Vim", true}, {{u"Vim"}, u"vim", false},
      {{u"vim"}, u"Vim", false},     {{u"Vim"}, u"Vim2", false},               {{u"Vim"}, u"Vi", false},
      {{u"Vim "}, u"Vim", false},    {{}, u"Vim", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(utf8(c.className));
    fresh();
    state.roster = c.roster;
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
    const std::uint8_t own = c.excluded;
    EXPECT_EQ(signals.calls, (std::vector<SignalCall>{{SignalCall::kPika, own},
                                                      {SignalCall::kPika, own},
                                                      {SignalCall::kPika, own},
                                                      {SignalCall::kPika, 0}}));
    at(21, 5, 7);
  }
}

}  // namespace
}  // namespace tavo
