// Records of the titles Tavo owes, kept where they outlive a killed Tavo: the
// give-back at start, and the cycle keeping them in step.
#include <gtest/gtest.h>

#include "base/text.h"
#include "main/title_ledger.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_ledger.h"

namespace tavo {
namespace {

TEST(LedgerTest, StartGivesBackOnlyTitlesTavoLeft) {
  struct Case {
    std::u16string record, title, after;
  };
  const Case cases[] = {
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
  fake::FakeDesktop desktop;
  fake::FakeLedger ledger;
  std::vector<WindowHandle> windows;
  for (const Case& c : cases) {
    windows.push_back(desktop.open(u"Doc", c.title, false));
    ledger.entries[windows.back()] = c.record;
  }
  const WindowHandle gone = desktop.open(u"Doc", u"21:05 = Gone");
  ledger.entries[gone] = u"01Gone";
  desktop.close(gone);

  giveBackLeftTitles(ledger, desktop);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(utf8(cases[i].title));
    EXPECT_EQ(desktop.title(windows[i]), cases[i].after);
    EXPECT_EQ(desktop.titleWrites(windows[i]), cases[i].after == cases[i].title ? 0 : 1);
  }
  EXPECT_EQ(desktop.titleWrites(gone), 0);
  EXPECT_TRUE(ledger.entries.empty());
}

}  // namespace
}  // namespace tavo
