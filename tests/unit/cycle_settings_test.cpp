// The standard clock pattern and the exclusion roster as read from the store.
#include <gtest/gtest.h>

#include <map>

#include "base/text.h"
#include "main/cycle.h"
#include "settings/keys.h"
#include "settings/memory_store.h"

namespace tavo {
namespace {

TEST(StdFormat, AssemblesThePatternFromTheDisplaySettings) {
  struct Case {
    std::map<std::u16string, std::u16string> stored;
    int taste;
    std::u16string_view pattern;
  };
  const Case cases[] = {
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
  for (const auto& c : cases) {
    MemoryStore store;
    Settings settings(store);
    for (const auto& [key, value] : c.stored) settings.save(kSectionMain, key, value);
    EXPECT_EQ(utf8(GetStdFormat(settings, c.taste)), utf8(c.pattern));
  }
  MemoryStore store;
  Settings settings(store);
  settings.save(kSectionMain, u"ShowYear", u"yes");
  EXPECT_THROW(GetStdFormat(settings, 0), Error);
}

TEST(Roster, LoadsUpToTheFirstGapAndNeverPastFifty) {
  MemoryStore store;
  Settings settings(store);
  AppState state;
  for (int n : {0, 1, 3}) settings.save(kSectionMain, windowListKey(n), u"C" + decimal(n));
  LoadWList(settings, state);
  EXPECT_EQ(state.roster, (std::vector<std::u16string>{u"C0", u"C1"}));
  for (int n = 0; n <= 60; ++n) settings.save(kSectionMain, windowListKey(n), u"C" + decimal(n));
  LoadWList(settings, state);
  EXPECT_EQ(state.rosterCount(), 51);
  EXPECT_EQ(state.roster.back(), u"C50");
  settings.save(kSectionMain, u"WindowList0", u"");  // stored but empty
  LoadWList(settings, state);
  EXPECT_EQ(state.rosterCount(), 0);

  state.roster = {u"Vim"};
  store.failReads = true;
  EXPECT_THROW(LoadWList(settings, state), Error);
  EXPECT_EQ(state.roster, std::vector<std::u16string>{u"Vim"}) << "a failed load keeps the roster in force";
}

}  // namespace
}  // namespace tavo
