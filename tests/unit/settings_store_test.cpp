#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "base/error.h"
#include "base/text.h"
#include "settings/keys.h"
#include "settings/memory_store.h"

namespace tavo {
namespace {

int errorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& e) {
    return e.number;
  }
  return 0;
}

TEST(MemoryStore, NamesAreCaseInsensitiveAndKeepTheirFirstSpelling) {
  MemoryStore store;
  store.write(u"Tavo", u"Main", u"WindowList0", u"Notepad");
  EXPECT_EQ(store.read(u"TAVO", u"main", u"windowlist0"), u"Notepad");
  store.write(u"tavo", u"MAIN", u"WINDOWLIST0", u"Edit");
  EXPECT_EQ(store.read(u"Tavo", u"Main", u"WindowList0"), u"Edit");
  EXPECT_EQ(store.keyNames(u"tavo", u"main"), std::vector<std::u16string>{u"WindowList0"});
  store.write(u"Tavo", u"Plug in", u"WindowList0", u"other section");
  store.write(u"Other", u"Main", u"WindowList0", u"other application");
  EXPECT_EQ(store.read(u"tavo", u"main", u"WindowList0"), u"Edit");
  EXPECT_EQ(store.read(u"Other", u"Plug in", u"WindowList0"), std::nullopt);
  EXPECT_EQ(store.valueCount(), 3u);
}

TEST(MemoryStore, EmptyValueIsNotMissingAndEraseRemoves) {
  MemoryStore store;
  store.write(u"A", u"S", u"K", u"");
  EXPECT_EQ(store.read(u"A", u"S", u"K"), u"");
  store.erase(u"a", u"s", u"k");
  EXPECT_EQ(store.read(u"A", u"S", u"K"), std::nullopt);
  store.erase(u"A", u"S", u"K");        // already gone
  store.erase(u"X", u"Y", u"Z");        // never existed
  EXPECT_EQ(store.valueCount(), 0u);
  // A key written again after its erase takes the new spelling.
  store.write(u"A", u"S", u"k", u"v");
  EXPECT_EQ(store.keyNames(u"A", u"S"), std::vector<std::u16string>{u"k"});
}

TEST(MemoryStore, FailingOnPurposeChangesNothing) {
  MemoryStore store;
  store.write(u"A", u"S", u"K", u"old");
  store.failWrites = true;
  EXPECT_EQ(errorOf([&] { store.write(u"A", u"S", u"K", u"new"); }), err::kStore);
  EXPECT_EQ(errorOf([&] { store.erase(u"A", u"S", u"K"); }), err::kStore);
  EXPECT_EQ(store.read(u"A", u"S", u"K"), u"old");
  EXPECT_EQ(store.writeCount, 1);
  Settings settings(store);
  EXPECT_EQ(errorOf([&] { saveText(settings, keys::kAlarm, u"1"); }), err::kStore);
  store.failReads = true;
  EXPECT_EQ(errorOf([&] { store.read(u"A", u"S", u"K"); }), err::kStore);
}

TEST(SettingsKeys, RosterAndCuteNames) {
  EXPECT_EQ(windowListKey(0), u"WindowList0");
  EXPECT_EQ(windowListKey(7), u"WindowList7");
  EXPECT_EQ(windowListKey(12), u"WindowList12");
  EXPECT_EQ(windowListKey(keys::kMaxRosterIndex), u"WindowList50");
  EXPECT_EQ(cuteKey(7, 1), u"Cute0701");
  EXPECT_EQ(cuteKey(0, 0), u"Cute0000");
  EXPECT_EQ(cuteKey(23, 99), u"Cute2399");
  EXPECT_EQ(cuteKey(7, 123), u"Cute07123");
}

TEST(SettingsReaders, GoToTavosApplicationAndSection) {
  MemoryStore store;
  Settings settings(store);
  saveText(settings, keys::kAlarmTime, u"07:30");
  saveText(settings, keys::kTavoCt, u"1");
  EXPECT_EQ(store.read(u"Tavo for Windows NT/95", u"Main", u"AlarmTime"), u"07:30");
  EXPECT_EQ(store.read(u"Tavo for Windows NT/95", u"Plug in", u"TavoCt"), u"1");
  EXPECT_EQ(store.read(u"Tavo for Windows NT/95", u"Main", u"TavoCt"), std::nullopt);
  // Companion programs may spell names in any case.
  store.write(u"TAVO FOR WINDOWS NT/95", u"PLUG IN", u"tavoxx", u"1");
  EXPECT_EQ(readByte(settings, keys::kTavoXX), 1);
}

// What a user who never changed a setting gets.
TEST(SettingsReaders, FreshStoreDefaults) {
  MemoryStore store;
  Settings s(store);
  struct Case {
    const KeyDef& key;
    std::function<double(Settings&, const KeyDef&)> read;
    double expected;
  };
  const auto number = [](Settings& st, const KeyDef& k) { return readNumber(st, k); };
  const auto byte = [](Settings& st, const KeyDef& k) { return double(readByte(st, k)); };
  const auto integer = [](Settings& st, const KeyDef& k) { return double(readInteger(st, k)); };
  const auto lng = [](Settings& st, const KeyDef& k) { return double(readLong(st, k)); };
  const Case cases[] = {
      {keys::k24h, number, 1},          {keys::kShowSecond, number, 0},   {keys::kShowYear, number, 0},
      {keys::kShowDate, number, 1},     {keys::kShowDay, number, 0},      {keys::kEqualSeparate, byte, 1},
      {keys::kUserTaste, byte, 0},      {keys::kClockRight, byte, 0},     {keys::kCheckInterval, integer, 250},
      {keys::kTimePika, lng, 1},        {keys::kTimeFuru, lng, 0},        {keys::kTimePipo, lng, 0},
      {keys::kPipoHato, lng, 0},        {keys::kTimeFuruCount, integer, 10}, {keys::kFlashLimit, byte, 50},
      {keys::kVibrateWidth, integer, 20}, {keys::kAlarm, byte, 0},      {keys::kHideout, byte, 0},
      {keys::kTavoTT, byte, 0},         {keys::kTavoXX, byte, 0},         {keys::kTavoCt, byte, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(utf8(c.key.name));
    EXPECT_EQ(c.read(s, c.key), c.expected);
  }
  EXPECT_EQ(readText(s, keys::kAlarmTime), u"17:57");
  EXPECT_EQ(readText(s, keys::kAlarmMessage), u"時間だよ(^^)");
  EXPECT_EQ(readText(s, keys::kXXFormat), u"");
  EXPECT_EQ(readText(s, keys::kWaveFilePath1), u"");
  EXPECT_EQ(readText(s, keys::kCuteCounts), u"0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0");
  EXPECT_EQ(s.get(kSectionMain, windowListKey(0), u""), u"");
  EXPECT_EQ(store.valueCount(), 0u);  // reading never writes
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
  EXPECT_EQ(errorOf([&] { readByte(s, keys::kAlarm); }), err::kTypeMismatch);
  saveText(s, keys::kFlashLimit, u"300");
  EXPECT_EQ(errorOf([&] { readByte(s, keys::kFlashLimit); }), err::kOverflow);
  saveText(s, keys::kVibrateWidth, u"40000");
  EXPECT_EQ(errorOf([&] { readInteger(s, keys::kVibrateWidth); }), err::kOverflow);
  EXPECT_EQ(readLong(s, keys::kVibrateWidth), 40000);
}

}  // namespace
}  // namespace tavo
