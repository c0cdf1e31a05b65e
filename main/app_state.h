#pragma once
// In-memory settings shared between the parts of the program. One instance
// lives as long as the program; everything runs on the UI thread.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tavo {

struct PlugInFlags {
  std::uint8_t hideout = 0, tavoTT = 0, tavoXX = 0, tavoCt = 0;
};

struct AppState {
  std::uint8_t clockRight = 0;       // 0: clock before the title, 1: after it
  std::int16_t checkInterval = 250;  // ms
  PlugInFlags plugInFlags;
  std::uint8_t alarmOn = 0;
  std::uint8_t equalSeparate = 0;    // zero until LoadAlarmSet runs
  std::u16string alarmMessage;
  std::u16string alarmTime;
  std::u16string clockPattern;
  std::uint8_t overlay = 1;  // 1: the overlay clock on self-drawn title bars
  std::vector<std::u16string> roster;  // the exclusion roster, 0 to 51 class names
  std::uint8_t rosterCount() const { return static_cast<std::uint8_t>(roster.size()); }
};

}  // namespace tavo
