#pragma once
// The caption clock cycle: every tick of the polling timer puts the clock
// into the foreground window's title and gives the previous window its own
// title back.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/report.h"
#include "format/xxformat.h"
#include "main/app_state.h"
#include "main/overlay.h"
#include "main/owed_titles.h"
#include "main/title_ledger.h"
#include "main/title_read.h"
#include "platform/ports.h"
#include "settings/store.h"

namespace tavo {

// Where a tick reports what goes wrong in it.
inline constexpr std::u16string_view kTickLocation = u"frmMain!tmrMain_Timer";

// The hourly time signal and the alarm, built elsewhere; the cycle only
// decides when to call them.
class TimeSignals {
 public:
  virtual ~TimeSignals() = default;
  virtual void ChkPika(std::uint8_t withheld) = 0;
  virtual void ChkAlarm() = 0;
};

class CaptionCycle {
 public:
  CaptionCycle(AppState& state, Desktop& desktop, Clock& clock, SystemResources& resources, Reporter& reporter,
               TimeSignals& signals, TitleLedger& ledger, Overlay& overlay);

  // One tick of the polling timer. Skipped while a message box opened by a
  // tick is open, so ticks never stack inside a box.
  void tmrMain_Timer();

  // Gives the window that carries the clock its own title back (at exit);
  // its record goes, unless it did not take the title. The overlay goes.
  void restoreCurrent();

  // The title as read into `caption`, whose storage is reused from tick to tick.
  void GetCap(WindowHandle w, TitleRead& caption);

  WindowHandle foregroundWindow() const { return foregroundWindow_; }
  std::uint8_t clockWithheld() const { return clockWithheld_; }
  const std::u16string& clockText() const { return clockText_; }
  std::u16string_view baseTitle() const { return baseTitle_.text(); }

 private:
  void turn(Scope& scope);
  // The ledger holds one record per window that carries the clock: the one
  // in front, and those that did not take their title back. Put and dropped
  // as they change, so a steady tick never writes to it.
  void syncLedger();
  void keepRecord(WindowHandle w, const LedgerRecord& record);
  // The overlay shows the clock on the foreground window's title bar when it
  // draws its own. Its frame is read on a change of window or clock and on
  // every tick while shown, so a steady tick without one asks nothing more.
  void followOverlay();
  void hideOverlay();
  LedgerRecord ownRecord() const { return {state_.clockRight, state_.equalSeparate, baseTitle_.text()}; }
  void MakeCap();
  void ChkCap();
  void RestoreCap(WindowHandle previous);
  std::u16string GetForegroundCN();
  std::uint8_t ChkTARO(std::u16string_view className);
  std::uint8_t ChkWList(std::u16string_view className);
  void oweTitle(WindowHandle w, const TitleRead& carried);
  void adoptOwedTitle();

  AppState& state_;
  Desktop& desktop_;
  Clock& clock_;
  SystemResources& resources_;
  Reporter& reporter_;
  TimeSignals& signals_;
  TitleLedger& ledger_;
  Overlay& overlay_;

  ClockReading reading_;  // the expansion's storage, swapped with the two below
  std::u16string clockText_;
  std::u16string timeKey_;
  std::u16string prevTimeKey_;
  WindowHandle foregroundWindow_ = 0;
  WindowHandle prevWindow_ = 0;
  TitleRead workCaption_;
  TitleRead baseTitle_;  // the window's own title
  TitleRead lastCaption_;
  std::u16string placedClock_;
  std::uint8_t clockWithheld_ = 0;
  bool clockOwed_ = false;  // the foreground window did not take the last write
  Backoff clockBackoff_;
  OwedTitles owedTitles_;
  int tickDepth_ = 0;  // ticks in progress, nested ones included
  bool givenBack_ = false;  // restoreCurrent ran since the last tick
  struct Recorded {
    WindowHandle window = 0;
    std::u16string text;
    bool kept = false;
  };
  std::vector<Recorded> recorded_;  // what the ledger holds, as put
  WindowHandle framed_ = 0;  // whose frame was read last, for framedClock_
  std::u16string framedClock_;
  WindowHandle overlaid_ = 0;  // the overlay's owner while shown
  OverlayPlace overlayPlace_;
  std::u16string overlayText_;
};

// The standard clock pattern for a user taste (0 or 1). Conversion errors
// propagate to the caller.
std::u16string GetStdFormat(Settings& settings, int taste);

// Loads the exclusion roster (WindowList0 .. WindowList50, up to the first empty one).
void LoadWList(Settings& settings, AppState& state);

}  // namespace tavo
