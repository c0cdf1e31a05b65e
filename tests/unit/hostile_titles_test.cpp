// Clocks that a hand-written extended pattern makes out of the ordinary: one
// with a NUL inside, and the empty clock. Windows keep their own titles and
// are not written on every tick.
#include <gtest/gtest.h>

#include "cycle_fixture.h"

namespace tavo {
namespace {

using namespace std::literals;

class HostileTitles : public CycleTest {};

TEST_F(HostileTitles, AClockWithANulIsShownUpToItAndTheTitleComesBack) {
  for (std::uint8_t right : {0, 1}) {
    SCOPED_TRACE(right ? "clock right" : "clock left");
    state.clockRight = right;
    state.clockPattern = u"時計\x07\0隠れ"s;
    fresh();
    const WindowHandle doc = desktop.open(u"Notepad", u"Doc");
    tick();
    EXPECT_EQ(desktop.title(doc), right ? u"Doc = 時計\x07" : u"時計\x07 = Doc");
    tick(5);
    EXPECT_EQ(desktop.titleWrites(doc), 1) << "written on every tick";

    desktop.rename(doc, right ? u"Doc 2 = 時計\x07" : u"時計\x07 = Doc 2");
    tick();
    desktop.open(u"WordPad", u"Other");
    tick();
    EXPECT_EQ(desktop.title(doc), u"Doc 2");
  }
}

TEST_F(HostileTitles, AnEmptyClockTakesNoCharactersOffANewTitle) {
  for (std::uint8_t right : {0, 1}) {
    SCOPED_TRACE(right ? "clock right" : "clock left");
    state.clockRight = right;
    state.clockPattern = u"";
    fresh();
    const WindowHandle doc = desktop.open(u"Notepad", u"Doc");
    tick();
    EXPECT_EQ(desktop.title(doc), right ? u"Doc = " : u" = Doc");

    // A title of the window's own, in a tick of its own and on a change of minute.
    desktop.rename(doc, u"Doc 2");
    tick();
    EXPECT_EQ(desktop.title(doc), right ? u"Doc 2 = " : u" = Doc 2");
    desktop.rename(doc, u"Doc 3");
    at(21, 6);
    tick();
    EXPECT_EQ(desktop.title(doc), right ? u"Doc 3 = " : u" = Doc 3");

    // An edit that keeps the separator still has the clock's place cut off.
    desktop.rename(doc, right ? u"Doc 4 = " : u" = Doc 4");
    tick();
    EXPECT_EQ(desktop.title(doc), right ? u"Doc 4 = " : u" = Doc 4");

    desktop.open(u"WordPad", u"Other");
    tick();
    EXPECT_EQ(desktop.title(doc), u"Doc 4");
  }
}

}  // namespace
}  // namespace tavo
