#pragma once
// The hourly time signal (chime or cuckoo strikes, flash, shake, the
// companion programs' hourly entries) and the daily alarm.
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "base/report.h"
#include "main/app_state.h"
#include "main/cycle.h"
#include "platform/ports.h"
#include "settings/store.h"

namespace tavo {

// The main window's 100 ms flash timer (tmrFlash). Enabling a running timer
// keeps the run going; it does not start it anew.
class FlashTimer {
 public:
  virtual ~FlashTimer() = default;
  virtual void enable() = 0;
  virtual void disable() = 0;
};

// Where the flash timer's tick reports unexpected errors.
inline constexpr std::u16string_view kFlashTickLocation = u"frmMain!tmrFlash_Timer";
inline constexpr std::u16string_view kAlarmTitle = u"Alarm - Tavo";
inline constexpr unsigned kAlarmFlags = mb::kOkCancel | mb::kIconExclamation | mb::kDefButton2 | mb::kSystemModal;
inline constexpr unsigned kAlarmRepeatFlags = mb::kOkCancel | mb::kIconInformation | mb::kDefButton2 | mb::kSystemModal;

struct SignalPorts {
  Desktop& desktop;
  Clock& clock;
  Sound& sound;
  Shell& shell;
  Pump& pump;
  FlashTimer& flashTimer;
};

class Signals : public TimeSignals {
 public:
  Signals(AppState& state, Settings& settings, Reporter& reporter, SignalPorts ports);

  // The window the flash and the shake act on: the foreground window the
  // caption clock found at its latest tick.
  void follow(std::function<WindowHandle()> foreground) { foreground_ = std::move(foreground); }
  void follow(const CaptionCycle& cycle) {
    foreground_ = [&cycle] { return cycle.foregroundWindow(); };
  }

  // Called many times a minute; gives the signal once, in minute "00".
  void ChkPika(std::uint8_t withheld) override;
  // Called once per change of hour and minute while the alarm is on.
  void ChkAlarm() override;
  // One tick of the flash timer.
  void tmrFlash_Timer();
  // Moves the window count + 1 times around its place and puts it back.
  void VibrateWindow(WindowHandle window, std::int16_t count);

  std::uint8_t hourlySignalDone() const { return hourlySignalDone_; }
  std::uint8_t flashCount() const { return flashCount_; }
  std::uint8_t alarmRepeat() const { return alarmRepeat_; }
  std::uint8_t alarmRepeatCount() const { return alarmRepeatCount_; }

 private:
  void givePika(Scope& scope, int hour, std::uint8_t withheld);
  void chime(Scope& scope, int hour);
  void hourlyEntries(Scope& scope, int hour);
  void runEntry(Scope& scope, int hour, int entry);
  void checkAlarmAt(const DateTime& t);
  int alarmBox(std::u16string_view call, unsigned flags);
  void readFlashLimit(Scope& scope);
  void flashLimitInvalid(Scope& scope);
  WindowHandle foreground() const { return foreground_ ? foreground_() : 0; }

  AppState& state_;
  Settings& settings_;
  Reporter& reporter_;
  SignalPorts ports_;
  std::function<WindowHandle()> foreground_;

  std::uint8_t hourlySignalDone_ = 0;
  std::uint8_t flashCount_ = 0;
  std::uint8_t flashLimit_ = 0;
  std::uint8_t alarmRepeat_ = 0;
  std::uint8_t alarmRepeatCount_ = 0;
  bool inAlarm_ = false;      // an alarm check is waiting for its box
  bool inFlashTick_ = false;  // a flash tick is waiting for its message
  std::vector<DateTime> heldAlarmChecks_;  // alarm checks that came while it waited
  struct HeldPika {
    int hour = 0;
    std::uint8_t withheld = 0;
  };
  std::optional<HeldPika> heldPika_;  // the hourly check that came while it waited
};

}  // namespace tavo
