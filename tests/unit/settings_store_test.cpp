#include <gtest/gtest.h>

#include "base/error.h"
#include "base/text.h"
#include "settings/keys.h"
#include "settings/memory_store.h"

namespace tavo {
namespace {

TEST(SettingsReaders, GoToTavosApplicationAndSection) {
  MemoryStore store;
  Settings settings(store);
  saveText(settings, keys::kAlarmTime, u"07:30");
  saveText(settings, keys::kTavoCt, u"1");
  EXPECT_EQ(store.read(u"Tavo for Windows NT/95", u"Main", u"AlarmTime"), u"07:30");
  EXPECT_EQ(store.read(u"Tavo for Windows NT/95", u"Plug in", u"TavoCt"), u"1");
  EXPECT_EQ(store.read(u"Tavo for Windows NT/95", u"Main", u"TavoCt"), std::nullopt);
  EXPECT_EQ(cuteKey(7, 1), u"Cute0701");
  EXPECT_EQ(cuteKey(7, 123), u"Cute07123");
  EXPECT_EQ(readText(settings, keys::kCuteCounts), u"0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0");
}

TEST(SettingsReaders, StoredTextsConvertByTheKeysClass) {
  MemoryStore store;
  Settings s(store);
  saveText(s, keys::kShowSecond, u"1.0");
  EXPECT_EQ(readNumber(s, keys::kShowSecond), 1);  // on
  saveText(s, keys::kShowSecond, u"2");
  EXPECT_NE(readNumber(s, keys::kShowSecond), 1);  // off
  saveText(s, keys::kTimePika, u" 1 ");
  EXPECT_EQ(readLong(s, keys::kTimePika), 1);

  saveText(s, keys::kAlarm, u"");  // stored but empty: no number, no default
  EXPECT_THROW(readByte(s, keys::kAlarm), Error);
  saveText(s, keys::kFlashLimit, u"300");
  EXPECT_THROW(readByte(s, keys::kFlashLimit), Error);
  saveText(s, keys::kVibrateWidth, u"40000");
  EXPECT_THROW(readInteger(s, keys::kVibrateWidth), Error);
  EXPECT_EQ(readLong(s, keys::kVibrateWidth), 40000);
}

}  // namespace
}  // namespace tavo
