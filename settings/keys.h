#pragma once
// Every stored setting: its section, key name and the default its readers pass.
#include <string>
#include <string_view>

#include "settings/store.h"

namespace tavo {

struct KeyDef {
  std::u16string_view section;
  std::u16string_view name;
  std::u16string_view fallback;
};

namespace keys {
// Section "Main"
inline constexpr KeyDef k24h{kSectionMain, u"24h", u"1"};
inline constexpr KeyDef kShowSecond{kSectionMain, u"ShowSecond", u"0"};
inline constexpr KeyDef kShowYear{kSectionMain, u"ShowYear", u"0"};
inline constexpr KeyDef kShowDate{kSectionMain, u"ShowDate", u"1"};
inline constexpr KeyDef kShowDay{kSectionMain, u"ShowDay", u"0"};
inline constexpr KeyDef kEqualSeparate{kSectionMain, u"EqualSeparate", u"1"};
inline constexpr KeyDef kUserTaste{kSectionMain, u"UserTaste", u"0"};
inline constexpr KeyDef kClockRight{kSectionMain, u"ClockRight", u"0"};
inline constexpr KeyDef kCheckInterval{kSectionMain, u"CheckInterval", u"250"};
inline constexpr KeyDef kTimePika{kSectionMain, u"TimePika", u"1"};
inline constexpr KeyDef kTimeFuru{kSectionMain, u"TimeFuru", u"0"};
inline constexpr KeyDef kTimeFuruCount{kSectionMain, u"TimeFuruCount", u"10"};
inline constexpr KeyDef kTimePipo{kSectionMain, u"TimePipo", u"0"};
inline constexpr KeyDef kPipoHato{kSectionMain, u"PipoHato", u"0"};
inline constexpr KeyDef kWaveFilePath1{kSectionMain, u"WaveFilePath1", u""};
inline constexpr KeyDef kWaveFilePath2{kSectionMain, u"WaveFilePath2", u""};
inline constexpr KeyDef kCuteCounts{kSectionMain, u"CuteCounts",
                                    u"0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0"};
inline constexpr KeyDef kFlashLimit{kSectionMain, u"FlashLimit", u"50"};
inline constexpr KeyDef kVibrateWidth{kSectionMain, u"VibrateWidth", u"20"};
inline constexpr KeyDef kAlarm{kSectionMain, u"Alarm", u"0"};
inline constexpr KeyDef kAlarmMessage{kSectionMain, u"AlarmMessage", u"時間だよ(^^)"};
inline constexpr KeyDef kAlarmTime{kSectionMain, u"AlarmTime", u"17:57"};
inline constexpr KeyDef kXXFormat{kSectionMain, u"XXFormat", u""};
inline constexpr KeyDef kTavoDirPath{kSectionMain, u"TavoDirPath", u""};
inline constexpr KeyDef kVersion{kSectionMain, u"Version", u""};
// 1: the clock also shows as an overlay on title bars the application draws itself.
inline constexpr KeyDef kOverlay{kSectionMain, u"Overlay", u"1"};
// Section "Plug in": written by companion programs only.
inline constexpr KeyDef kHideout{kSectionPlugIn, u"Hideout", u"0"};
inline constexpr KeyDef kTavoTT{kSectionPlugIn, u"TavoTT", u"0"};
inline constexpr KeyDef kTavoXX{kSectionPlugIn, u"TavoXX", u"0"};
inline constexpr KeyDef kTavoCt{kSectionPlugIn, u"TavoCt", u"0"};

// Every key above, for code that must treat each stored setting alike.
inline constexpr KeyDef kAll[] = {
    k24h, kShowSecond, kShowYear, kShowDate, kShowDay, kEqualSeparate, kUserTaste, kClockRight,
    kCheckInterval, kTimePika, kTimeFuru, kTimeFuruCount, kTimePipo, kPipoHato, kWaveFilePath1,
    kWaveFilePath2, kCuteCounts, kFlashLimit, kVibrateWidth, kAlarm, kAlarmMessage, kAlarmTime,
    kXXFormat, kTavoDirPath, kVersion, kOverlay, kHideout, kTavoTT, kTavoXX, kTavoCt,
};

inline constexpr int kMaxRosterIndex = 50;
}  // namespace keys

// "WindowList" + n in decimal: entry n of the exclusion roster.
std::u16string windowListKey(int n);
// "Cute" + hour as two digits + entry number as at least two digits.
std::u16string cuteKey(int hour, int entry);

// Typed readers: Get with the key's default, then convert. Conversion errors
// (13, 6) propagate to the calling procedure's scope.
std::u16string readText(Settings& s, const KeyDef& key);
double readNumber(Settings& s, const KeyDef& key);
std::uint8_t readByte(Settings& s, const KeyDef& key);
std::int16_t readInteger(Settings& s, const KeyDef& key);
std::int32_t readLong(Settings& s, const KeyDef& key);
void saveText(Settings& s, const KeyDef& key, std::u16string_view value);

}  // namespace tavo
