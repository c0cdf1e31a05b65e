#pragma once
// Reading the stored settings the main window loads into memory.
//
// The strict forms propagate conversion errors to their caller, as the
// details dialog expects. The tolerant forms take a Scope: a value that does
// not convert (or a store that cannot be read) is reported under it and its
// default used instead, so Tavo always starts.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/report.h"
#include "main/app_state.h"
#include "settings/store.h"

namespace tavo {

inline constexpr std::u16string_view kStartupLocation = u"frmMain_Load";

// The polling intervals the main window offers; anything else runs at 250 ms.
std::int16_t normalizedInterval(std::int16_t stored);

// alarmOn (Alarm, byte), equalSeparate (EqualSeparate, byte), alarmMessage,
// alarmTime, in this order. A value that does not convert ends the load there:
// it and the values after it keep their previous contents.
void LoadAlarmSet(Settings& settings, AppState& state);

// The main window's stored choices. A UserTaste that names no option (only 0
// and 1 exist) is reported like a value that does not convert, and the
// option shows taste 0; the clock still follows the taste as stored.
struct MainSet {
  std::uint8_t clockRight = 0;
  std::int16_t checkInterval = 250;  // normalised
  int taste = 0;        // the option shown
  int storedTaste = 0;  // UserTaste as a byte, 0 when it is none
};
MainSet readMainSet(Settings& settings, Scope& tolerant);

// Each alarm value on its own, so one bad value leaves the others loaded.
void LoadAlarmSet(Settings& settings, AppState& state, Scope& tolerant);

// Overlay (byte). Read after every other start-up key, which keeps their order.
std::uint8_t readOverlay(Settings& settings, Scope& tolerant);

// The four bytes of section "Plug in": Hideout, TavoTT, TavoXX, TavoCt.
PlugInFlags GetPlugIn(Settings& settings, Scope& tolerant);

// The standard pattern of a taste; a display setting that is no number reads
// as missing, so that setting alone takes its default. Nothing when the
// pattern could not be built (reported); the pattern in force then stays.
std::optional<std::u16string> standardPattern(Settings& settings, int taste, Scope& tolerant);

}  // namespace tavo
