// The roster dialog without its window: the list in reverse stored order,
// following the foreground window, removing, and storing on OK only.
#include "dialogs/roster.h"

#include <gtest/gtest.h>

#include <functional>

#include "app_fixture.h"
#include "main/cycle.h"
#include "platform/fake/fake_views.h"

namespace tavo {
namespace {

using namespace roster;
using Names = std::vector<std::u16string>;

class RosterDialogTest : public test::AppTest {
 protected:
  RosterDialogTest() { window.self = desktop.open(u"ThunderRT6FormDC", u"あの子嫌い！", false); }
  void storeRoster(const Names& names) {
    for (std::size_t i = 0; i < names.size(); ++i)
      store.MemoryStore::write(kAppName, kSectionMain, windowListKey(static_cast<int>(i)), names[i]);
    LoadWList(settings, state);
  }
  RosterDialog& open() {
    dialog.emplace(settings, state, reporter, desktop, window);
    dialog->Form_Load();
    return *dialog;
  }

  fake::FakeRosterWindow window;
  std::optional<RosterDialog> dialog;
};

// OK stores the list as shown; one key that cannot be stored stops no other.
TEST_F(RosterDialogTest, RemovingEntriesDeletesTheirKeys) {
  struct Case {
    std::vector<int> removals;  // the entry selected before each click; -1: none any more
    std::u16string failKey;
    Names list, log;
    int reports;
  } const cases[] = {
      {{0, -1}, u"", {u"e1", u"e0"}, {u"WindowList0=e1", u"WindowList1=e0", u"-WindowList2"}, 0},
      {{0, 0, 0}, u"", {}, {u"-WindowList0", u"-WindowList1", u"-WindowList2"}, 0},
      {{2, 1}, u"WindowList1", {u"e2"}, {u"WindowList0=e2", u"-WindowList2"}, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.list.size());
    store = {};
    prompt.shown.clear();
    storeRoster({u"e0", u"e1", u"e2"});
    store.failKey = c.failKey;
    auto& d = open();
    EXPECT_EQ(d.list(), (Names{u"e2", u"e1", u"e0"}));
    for (int i : c.removals) {
      if (i >= 0) d.select(i);
      d.cmdWSet_Click(1);
    }
    EXPECT_EQ(d.list(), c.list);
    d.cmdWSet_Click(2);
    EXPECT_EQ(store.log, c.log);
    EXPECT_EQ(reports(kSaveLocation), c.reports);
    EXPECT_TRUE(d.closed());
    if (c.failKey.empty()) { EXPECT_EQ(state.roster, c.list); }
  }
}

TEST_F(RosterDialogTest, FollowingAppendsTheForegroundClass) {
  storeRoster({u"Notepad"});
  auto& d = open();
  d.cmdWSet_Click(0);
  EXPECT_TRUE(d.following());
  EXPECT_EQ(window.calls, (Names{u"minimize", u"timer on"}));
  desktop.open(u"Notepad", u"memo");
  // The class is read after the dialog is back, and the notice comes last.
  window.onRestore = [&] { EXPECT_TRUE(prompt.shown.empty()); };
  d.tmrWSet_Timer();
  EXPECT_FALSE(d.following());
  EXPECT_FALSE(window.timer);
  EXPECT_EQ(d.list(), (Names{u"Notepad", u"Notepad"})) << "duplicates are allowed";
  ASSERT_EQ(prompt.shown.size(), 1u);
  EXPECT_EQ(prompt.shown[0].text, kAddedText);
  EXPECT_EQ(prompt.shown[0].flags, 0x1040u);

  // Nothing in front: nothing to add.
  prompt.shown.clear();
  d.cmdWSet_Click(0);
  desktop.close(desktop.foregroundWindow());
  d.tmrWSet_Timer();
  EXPECT_EQ(d.list().size(), 2u);
  ASSERT_EQ(prompt.shown.size(), 1u);
  EXPECT_EQ(prompt.shown[0].text, kFailedText);
  EXPECT_FALSE(window.timer);
  d.close();
  EXPECT_TRUE(d.closed());
  EXPECT_TRUE(store.log.empty()) << "stored only by OK";
  EXPECT_EQ(state.roster, Names{u"Notepad"});
}

TEST_F(RosterDialogTest, FollowingStopsAtFiftyEntriesButFiftyOneStoredLoadAndStoreInFull) {
  Names names;
  for (int i = 0; i < 49; ++i) names.push_back(u"C" + decimal(i));
  storeRoster(names);
  auto& d = open();
  d.cmdWSet_Click(0);
  desktop.open(u"Fiftieth", u"");
  d.tmrWSet_Timer();
  EXPECT_EQ(d.list().size(), 50u);
  prompt.shown.clear();
  window.calls.clear();
  d.cmdWSet_Click(0);
  EXPECT_FALSE(d.following());
  EXPECT_EQ(window.calls, (Names{u"timer off"})) << "not minimised";
  ASSERT_EQ(prompt.shown.size(), 1u);
  EXPECT_EQ(prompt.shown[0].text, kFullText);

  names.push_back(u"C49");
  names.push_back(u"C50");
  storeRoster(names);
  EXPECT_EQ(open().list().size(), 51u);
  dialog->cmdWSet_Click(2);
  EXPECT_EQ(state.roster.size(), 51u);
  EXPECT_EQ(state.roster.front(), u"C50");
}

}  // namespace
}  // namespace tavo
