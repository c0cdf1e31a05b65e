#include "main/cycle.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "format/xxformat.h"
#include "settings/keys.h"

namespace tavo {

namespace {

// The standard dialog class, and the spell checker's dialog that, while it
// exists, keeps the clock out of every window of that class.
constexpr std::u16string_view kDialogClass = u"#32770";
constexpr std::u16string_view kSpellCheckTitle = u"ｽﾍﾟﾙﾁｪｯｸ";

bool knownPlacement(const AppState& s) {
  return (s.clockRight == 0 || s.clockRight == 1) && (s.equalSeparate == 0 || s.equalSeparate == 1);
}

// Whether a title still shows the clock. An empty clock is part of every
// text, so every new title of the window's own would count as one carrying
// it and lose its first characters to the cut: an empty clock counts only
// where its separator stands at the placed side.
bool carriesClock(const AppState& s, const TitleRead& title, std::u16string_view clock) {
  if (!clock.empty() || !knownPlacement(s)) return contains(title.asRead(), clock);
  const std::u16string_view sep = clockSeparator(s.equalSeparate);
  return s.clockRight == 0 ? title.text().starts_with(sep) : title.text().ends_with(sep);
}

// Hour and minute of a time key ("h:n" or "h:n:s"); nothing for a key that
// does not read as a time, such as the empty key before the first tick.
std::optional<std::pair<int, int>> hourMinute(std::u16string_view key) {
  int fields[2] = {0, 0};
  std::size_t pos = 0;
  for (int f = 0; f < 2; ++f) {
    const std::size_t start = pos;
    while (pos < key.size() && key[pos] >= u'0' && key[pos] <= u'9' && pos - start < 4)
      fields[f] = fields[f] * 10 + (key[pos++] - u'0');
    if (pos == start) return std::nullopt;
    if (f == 0) {
      if (pos >= key.size() || key[pos] != u':') return std::nullopt;
      ++pos;
    }
  }
  if (pos < key.size() && key[pos] != u':') return std::nullopt;
  return std::make_pair(fields[0], fields[1]);
}

// As memory: == on UTF-16 strings goes character by character, which would
// be most of what following the overlay costs a steady tick.
bool sameText(std::u16string_view a, std::u16string_view b) { return std::ranges::equal(a, b); }

}  // namespace

CaptionCycle::CaptionCycle(AppState& state, Desktop& desktop, Clock& clock, SystemResources& resources,
                           Reporter& reporter, TimeSignals& signals, TitleLedger& ledger, Overlay& overlay)
    : state_(state), desktop_(desktop), clock_(clock), resources_(resources), reporter_(reporter),
      signals_(signals), ledger_(ledger), overlay_(overlay) {}

// Everything the tick works on lives in members, not locals: a tick may run
// nested inside ChkPika (which yields to the message loop), and the outer
// tick then carries on with what the nested one found, so the time key never
// steps back and the alarm check is not repeated for a minute.
void CaptionCycle::tmrMain_Timer() {
  // A box opened by a tick runs a message loop that still delivers timer
  // ticks; a tick there would stack more boxes (or a second alarm) behind the
  // one being answered. Boxes opened outside a tick (the about box) leave the
  // clock running.
  if (tickDepth_ > 0 && reporter_.boxes().anyOpen()) return;
  ++tickDepth_;
  struct Leave {
    int& depth;
    ~Leave() { --depth; }
  } leave{tickDepth_};

  Scope scope(reporter_, kTickLocation);
  givenBack_ = false;
  turn(scope);
  scope.step([&] { syncLedger(); });
  scope.step([&] { followOverlay(); });
}

void CaptionCycle::turn(Scope& scope) {
  scope.step([&] {
    // Expanded into storage kept from tick to tick, then swapped in: no
    // allocation on a steady tick, and the texts change together or not at
    // all. A nested tick has its own turn at the reading, as the outer one
    // is done with it by the time anything can nest.
    FromXXFToShowClk(state_.clockPattern, clock_.now(), resources_, reporter_, reading_);
    clockText_.swap(reading_.text);
    timeKey_.swap(reading_.timeKey);
    // A title ends at its first NUL, so a clock from a pattern holding one is
    // shown only up to it. Kept whole, it would never be found again in the
    // title it was written into: the window would lose its own title for good
    // and be written on every tick.
    if (const auto nul = clockText_.find(u'\0'); nul != std::u16string::npos) clockText_.resize(nul);
  });
  scope.step([&] { foregroundWindow_ = desktop_.foregroundWindow(); });
  if (!owedTitles_.empty()) scope.step([&] { owedTitles_.retry(desktop_, foregroundWindow_); });

  // The alarm check runs once per change of hour and minute, on whichever
  // path the tick takes; a change of window on the alarm minute must not
  // swallow the day's alarm.
  const auto checkAlarm = [&] {
    if (state_.alarmOn == 1 && hourMinute(timeKey_) != hourMinute(prevTimeKey_))
      scope.step([&] { signals_.ChkAlarm(); });
  };

  if (foregroundWindow_ == prevWindow_) {
    scope.step([&] { GetCap(foregroundWindow_, workCaption_); });
    if (timeKey_ == prevTimeKey_) {
      ChkCap();
      return;
    }
    scope.step([&] { signals_.ChkPika(clockWithheld_); });
    if (clockWithheld_ == 0) MakeCap();
    checkAlarm();
    prevTimeKey_ = timeKey_;
    lastCaption_ = workCaption_;
    return;
  }

  scope.step([&] { RestoreCap(prevWindow_); });
  prevWindow_ = foregroundWindow_;
  std::u16string className;
  scope.step([&] { className = GetForegroundCN(); });
  const std::uint8_t spell = ChkTARO(className);
  std::uint8_t decision = 0;
  if (state_.rosterCount() != 0 || spell != 0) decision = ChkWList(className) | spell;
  scope.step([&] { GetCap(foregroundWindow_, workCaption_); });
  scope.step([&] { baseTitle_ = workCaption_; });
  clockOwed_ = false;  // whatever the last window did not take, this one starts afresh
  if (decision == 1) {
    clockWithheld_ = 1;
  } else {
    scope.step([&] { adoptOwedTitle(); });
    MakeCap();
    clockWithheld_ = 0;
  }
  scope.step([&] { signals_.ChkPika(clockWithheld_); });
  checkAlarm();
  prevTimeKey_ = timeKey_;
  lastCaption_ = workCaption_;
}

void CaptionCycle::restoreCurrent() {
  Scope scope(reporter_, kTickLocation);
  scope.step([&] { RestoreCap(prevWindow_); });
  givenBack_ = true;
  scope.step([&] { syncLedger(); });
  scope.step([&] { hideOverlay(); });
}

void CaptionCycle::followOverlay() {
  if (state_.overlay != 1 || clockWithheld_ != 0 || foregroundWindow_ == 0 || clockText_.empty()) {
    framed_ = 0;  // read afresh once it is wanted again
    hideOverlay();
    return;
  }
  if (overlaid_ == 0 && framed_ == foregroundWindow_ && sameText(framedClock_, clockText_)) return;
  framed_ = foregroundWindow_;
  framedClock_ = clockText_;
  const auto frame = desktop_.windowFrame(foregroundWindow_);
  if (!frame || !drawsOwnTitleBar(*frame)) {
    hideOverlay();
    return;
  }
  const OverlayPlace place = overlayPlace(*frame);
  if (overlaid_ == foregroundWindow_ && place == overlayPlace_ && sameText(overlayText_, clockText_)) return;
  overlay_.show(foregroundWindow_, place.right, place.top, place.height, place.dpi, clockText_);
  overlaid_ = foregroundWindow_;
  overlayPlace_ = place;
  overlayText_ = clockText_;
}

void CaptionCycle::hideOverlay() {
  if (overlaid_ == 0) return;
  overlaid_ = 0;
  overlay_.hide();
}

void CaptionCycle::syncLedger() {
  for (Recorded& r : recorded_) r.kept = false;
  if (clockWithheld_ == 0 && !givenBack_ && knownPlacement(state_) && foregroundWindow_ != 0)
    keepRecord(foregroundWindow_, ownRecord());
  for (const OwedTitle& o : owedTitles_) {
    if (const auto record = readLedgerText(o.record)) keepRecord(o.window, *record);
  }
  std::erase_if(recorded_, [&](const Recorded& r) {
    if (!r.kept) ledger_.drop(r.window);
    return !r.kept;
  });
}

// Compared in place: a steady tick neither allocates nor writes.
void CaptionCycle::keepRecord(WindowHandle w, const LedgerRecord& record) {
  auto it = std::find_if(recorded_.begin(), recorded_.end(), [&](const Recorded& r) { return r.window == w; });
  if (it == recorded_.end()) {
    recorded_.push_back(Recorded{w, {}, false});
    it = recorded_.end() - 1;
  } else if (it->kept) {
    return;
  }
  if (readLedgerText(it->text) != record) {
    ledgerText(record, it->text);
    ledger_.put(w, it->text);
  }
  it->kept = true;
}

void CaptionCycle::MakeCap() {
  Scope scope(reporter_, u"frmMain!MakeCap");
  scope.step([&] {
    if (!carriesClock(state_, workCaption_, placedClock_)) baseTitle_ = workCaption_;  // a new title of its own
  });
  scope.step([&] {
    if (!knownPlacement(state_)) return;  // the title is written back as read
    const std::u16string_view sep = clockSeparator(state_.equalSeparate);
    // Composed as it will read back, or the next steady tick rewrites it.
    if (state_.clockRight == 0)
      workCaption_.compose(clockText_, sep, baseTitle_.text());
    else
      workCaption_.compose(baseTitle_.text(), sep, clockText_);
  });
  std::u16string placedBefore;
  scope.step([&] {
    placedBefore = placedClock_;
    placedClock_ = clockText_;
  });
  scope.step([&] {
    if (writeTitle(desktop_, foregroundWindow_, workCaption_.text())) {
      clockOwed_ = false;
      return;
    }
    // Not taken: go on from the title as it stands, with the clock placed
    // before still in it, so that nothing mistakes that clock for part of
    // the window's own title; try again later.
    GetCap(foregroundWindow_, workCaption_);
    placedClock_ = std::move(placedBefore);
    if (clockOwed_) {
      clockBackoff_.failed();
    } else {
      clockOwed_ = true;
      clockBackoff_ = Backoff{};
    }
  });
}

void CaptionCycle::GetCap(WindowHandle w, TitleRead& caption) {
  Scope(reporter_, u"frmMain!GetCap").step([&] { caption.read(desktop_, w); });
}

void CaptionCycle::ChkCap() {
  Scope scope(reporter_, u"frmMain!ChkCap");
  scope.step([&] { GetCap(foregroundWindow_, workCaption_); });
  if (workCaption_ == lastCaption_) {
    if (clockOwed_ && clockWithheld_ == 0 && clockBackoff_.due()) {
      scope.step([&] { MakeCap(); });
      lastCaption_ = workCaption_;
    }
    return;
  }

  if (!carriesClock(state_, workCaption_, clockText_)) {
    baseTitle_ = workCaption_;  // the window has put up a title of its own
  } else {
    // The title still carries the clock: take it off at the placed side by
    // its length (the window may have edited the rest). Real lengths, so a
    // clock of any length comes off whole.
    scope.step([&] {
      if (!knownPlacement(state_)) return;
      const std::size_t taken = clockText_.size() + clockSeparator(state_.equalSeparate).size();
      if (state_.clockRight == 0) {
        baseTitle_ = workCaption_.withoutFront(taken);
      } else {
        // Shorter than clock and separator: the clock cannot be where it was
        // placed; keep the title known so far rather than guess.
        auto own = workCaption_.withoutBack(taken);
        if (!own) raise(err::kInvalidArgument);
        baseTitle_ = std::move(*own);
      }
    });
  }
  scope.step([&] { signals_.ChkPika(clockWithheld_); });
  if (clockWithheld_ == 0) scope.step([&] { MakeCap(); });
  lastCaption_ = workCaption_;
}

void CaptionCycle::RestoreCap(WindowHandle previous) {
  // Only a window that carried the clock gets a title back: an excluded one
  // was never touched, and writing the title it had when it came to the
  // front would undo the changes it made since.
  if (clockWithheld_ != 0) return;
  TitleRead title;
  GetCap(previous, title);
  if (!contains(title.asRead(), placedClock_) && !contains(title.asRead(), clockText_)) return;
  if (!writeTitle(desktop_, previous, baseTitle_.text()) && desktop_.windowTitle(previous)) oweTitle(previous, title);
}

void CaptionCycle::oweTitle(WindowHandle w, const TitleRead& carried) {
  std::u16string record;
  if (knownPlacement(state_)) ledgerText(ownRecord(), record);
  owedTitles_.owe(OwedTitle{w, std::u16string(baseTitle_.text()), std::u16string(carried.text()),
                            contains(carried.asRead(), placedClock_) ? placedClock_ : clockText_, std::move(record),
                            Backoff{}});
}

// The window comes back to the front still carrying the clock it had: its own
// title is the one it is owed, and the clock in it is the one to replace.
void CaptionCycle::adoptOwedTitle() {
  auto owed = owedTitles_.take(foregroundWindow_);
  if (owed && workCaption_.text() == owed->carried) {
    baseTitle_.compose(owed->own);
    placedClock_ = std::move(owed->clock);
  }
}

std::u16string CaptionCycle::GetForegroundCN() {
  Scope scope(reporter_, u"mdlPub!GetForegroundCN");
  std::u16string name;
  scope.step([&] { name = desktop_.className(foregroundWindow_); });
  if (name.size() > 254) name.resize(254);
  return name;
}

std::uint8_t CaptionCycle::ChkTARO(std::u16string_view className) {
  Scope scope(reporter_, u"frmMain!ChkTARO");
  std::uint8_t result = 0;
  if (className != kDialogClass) return 0;
  scope.step([&] { result = desktop_.findWindow(kDialogClass, kSpellCheckTitle) != 0 ? 1 : 0; });
  return result;
}

std::uint8_t CaptionCycle::ChkWList(std::u16string_view className) {
  Scope scope(reporter_, u"frmMain!ChkWList");
  std::uint8_t result = 0;
  scope.step([&] {
    for (auto i = state_.roster.size(); i-- > 0;) {
      if (state_.roster[i] == className) {
        result = 1;
        return;
      }
    }
  });
  return result;
}

std::u16string GetStdFormat(Settings& settings, int taste) {
  // The stored texts count by their numeric value: "1", "1.0" and "01" are all on.
  const auto on = [&](const KeyDef& key) { return readNumber(settings, key) == 1; };
  std::u16string pattern = on(keys::k24h) ? u"%h:nn" : u"%tt h:nn";
  if (on(keys::kShowSecond)) pattern += u":ss";
  pattern += u"%";
  if (on(keys::kShowYear)) pattern += u",%yy%";
  if (taste == 0) {
    if (on(keys::kShowDate)) pattern += u",%mmm%,%d%";
    if (on(keys::kShowDay)) pattern += u",%ddd%";
  } else if (taste == 1) {
    if (on(keys::kShowDate)) pattern += u",%m%/%d%";
    if (on(keys::kShowDay)) pattern += u",%aaa%";
  }
  return pattern;
}

void LoadWList(Settings& settings, AppState& state) {
  // Read into a fresh list so that a failing store leaves the roster in force
  // whole instead of half replaced.
  std::vector<std::u16string> roster;
  for (int n = 0; n <= keys::kMaxRosterIndex; ++n) {
    std::u16string name = settings.get(kSectionMain, windowListKey(n), u"");
    if (name.empty()) break;  // entries behind a gap stay unread
    roster.push_back(std::move(name));
  }
  state.roster = std::move(roster);
}

}  // namespace tavo
