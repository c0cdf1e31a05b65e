// The details dialog without its window: what it shows for a store, what its
// boxes change at once, what OK checks and stores, and the file choosers.
#include "dialogs/details.h"

#include <gtest/gtest.h>

#include "app_fixture.h"
#include "main/startup.h"
#include "platform/fake/fake_views.h"

namespace tavo {
namespace {

using namespace details;

class DetailsDialogTest : public test::AppTest {
 protected:
  DetailsDialog& open() {
    dialog.emplace(settings, state, reporter, files);
    dialog->open();
    return *dialog;
  }

  fake::FakeFiles files;
  std::optional<DetailsDialog> dialog;
};

// A separator other than 0 or 1 stays in force until the user clicks its
// box, as the main window treats its clock side.
TEST_F(DetailsDialogTest, DetailsDialogLeavesAnUnknownSeparatorAlone) {
  set(keys::kEqualSeparate, u"2");
  app.load();
  auto& d = open();
  EXPECT_EQ(d.chkShow(kEqual).value, 0);
  EXPECT_EQ(state.equalSeparate, 2);
  d.cmdSet_Click(0);
  EXPECT_EQ(stored(keys::kEqualSeparate), u"2");
  open().clickShow(kEqual);
  EXPECT_EQ(state.equalSeparate, 1);
}

TEST_F(DetailsDialogTest, LoadRunsTheClickBehaviours) {
  for (bool on : {false, true}) {
    set(keys::kTimePipo, on ? u"1" : u"0");
    auto& d = open();
    EXPECT_EQ(d.chkEtc(kHato).enabled, on);
    EXPECT_EQ(d.cmdWavSetEnabled(kChime), on);
  }

  // The stored count is loaded after the shake box, so it wins over its "10".
  set({{keys::kTimeFuru, u"1"}, {keys::kTimeFuruCount, u""}});
  EXPECT_EQ(open().txtEtc(kCount), u"");
}

TEST_F(DetailsDialogTest, ABadStoredFlagIsReportedAndShownAsItsDefault) {
  // ShowDate overflows a 16-bit integer, TimePika and Overlay are numbers but not 1 (off),
  // and the bad Alarm stops the reload before the dialog.
  set({{keys::kShowDate, u"99999"}, {keys::kTimePika, u"2"}, {keys::kAlarm, u"x"}, {keys::kOverlay, u"2"}});
  auto& d = open();
  EXPECT_EQ(d.chkShow(kDate).value, 1);
  EXPECT_EQ(d.chkEtc(kPika).value, 0);
  EXPECT_EQ(d.chkEtc(kOverlay).value, 0);
  EXPECT_EQ(reports(kOpenLocation), 2);
  EXPECT_EQ(d.txtEtc(kHour), u"") << "the reload stopped before the alarm time";
}

TEST_F(DetailsDialogTest, TheExtendedFormatKeepsItsPatternAndTheDisplayBoxes) {
  set({{keys::kTavoXX, u"1"}, {keys::kShowSecond, u"1"}, {keys::kShowDate, u"0"}});
  state.plugInFlags.tavoXX = 1;
  state.clockPattern = u"%xx%";
  auto& d = open();
  for (int i = kSecond; i <= k24h; ++i) EXPECT_FALSE(d.chkShow(i).enabled) << i;
  EXPECT_TRUE(d.chkShow(kEqual).enabled);
  d.clickEtc(kOverlay);
  d.cmdSet_Click(0);
  EXPECT_EQ(*stored(keys::kShowSecond) + *stored(keys::kShowDate) + *stored(keys::kOverlay), u"100");
  EXPECT_EQ(state.overlay, 0) << "in force at once";
  EXPECT_EQ(state.clockPattern, u"%xx%");
}

TEST_F(DetailsDialogTest, CancelAndCloseStoreNothing) {
  auto& d = open();
  d.clickEtc(kAlarm);
  d.clickShow(kEqual);
  d.clickEtc(kOverlay);
  EXPECT_EQ((std::vector<int>{state.alarmOn, state.equalSeparate, state.overlay}), (std::vector<int>{1, 0, 1}))
      << "alarm and joiner in force at once, the overlay waits for OK";
  d.cmdSet_Click(1);
  EXPECT_TRUE(d.closed());
  EXPECT_EQ((std::vector<int>{state.alarmOn, state.equalSeparate, state.overlay}), (std::vector<int>{0, 1, 1}));

  auto& closing = open();
  closing.clickEtc(kAlarm);
  closing.close();
  EXPECT_TRUE(closing.closed());
  EXPECT_EQ(state.alarmOn, 1) << "the window's close command reloads nothing";
  EXPECT_TRUE(store.log.empty());
}

TEST_F(DetailsDialogTest, AChooserThatCannotOpenIsReportedAndCountsAsCancelled) {
  files.broken = true;
  auto& d = open();
  d.cmdWavSet_Click(kCallMe);
  EXPECT_EQ(reports(kBrowseLocation), 1);
  ASSERT_EQ(prompt.shown.size(), 2u);
  EXPECT_EQ(prompt.shown[1].title, u"Call Me");

  // What follows the path's first NUL is not part of it.
  files.broken = false;
  files.answer = std::u16string(u"C:\\a b.wav\0junk", 15);
  BrowseRequest request{0, 0, u"", u"  C:\\x.wav ", u""};
  EXPECT_NE(GetBrowsePath(request, files, reporter), 0);
  EXPECT_EQ(request.path, u"\"C:\\a b.wav\"");
}

}  // namespace
}  // namespace tavo
