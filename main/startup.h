#pragma once
// Loading the stored settings into memory before the first tick.
//
// The procedures below without a Scope propagate conversion errors to their
// caller, as the dialogs expect. loadAtStartup() is the start-up's own
// caller: it reports every stored value that does not convert (and every
// store failure) under the location kStartupLocation, uses that value's
// default instead and goes on, so Tavo always starts. The report goes through
// Reporter, which shows a given error only once.
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

// clockRight from ClockRight (byte), checkInterval from CheckInterval
// (16-bit integer, normalised).
void LoadMainSet(Settings& settings, AppState& state);

// alarmOn (Alarm, byte), equalSeparate (EqualSeparate, byte), alarmMessage,
// alarmTime, in this order. A value that does not convert ends the load there:
// it and the values after it keep their previous contents.
void LoadAlarmSet(Settings& settings, AppState& state);

// The four bytes of section "Plug in": Hideout, TavoTT, TavoXX, TavoCt.
PlugInFlags GetPlugIn(Settings& settings);

// Tolerant forms for callers that must go on: a value that does not convert
// (or a store that cannot be read) is reported under `tolerant` and its
// default used instead.

// The main window's stored choices. A UserTaste that names no option (only 0
// and 1 exist) is reported like a value that does not convert.
struct MainSet {
  std::uint8_t clockRight = 0;
  std::int16_t checkInterval = 250;  // normalised
  int taste = 0;
};
MainSet readMainSet(Settings& settings, Scope& tolerant);

// Each alarm value on its own, so one bad value leaves the others loaded.
void LoadAlarmSet(Settings& settings, AppState& state, Scope& tolerant);

PlugInFlags GetPlugIn(Settings& settings, Scope& tolerant);

// The standard pattern of a taste; a display setting that is no number reads
// as missing, so that setting alone takes its default. Nothing when the
// pattern could not be built (reported); the pattern in force then stays.
std::optional<std::u16string> standardPattern(Settings& settings, int taste, Scope& tolerant);

// Everything Tavo holds in memory before its first tick: LoadMainSet,
// LoadAlarmSet, LoadWList, GetPlugIn and the clock pattern (the extended
// pattern when TavoXX is non-zero, otherwise the standard pattern of the
// stored UserTaste). Never throws Error.
void loadAtStartup(Settings& settings, AppState& state, Reporter& reporter);

}  // namespace tavo
