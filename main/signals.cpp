#include "main/signals.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <utility>

#include "base/error.h"
#include "base/text.h"
#include "main/launch.h"
#include "settings/convert.h"
#include "settings/keys.h"

namespace tavo {

namespace {

constexpr std::u16string_view kPikaLocation = u"frmMain!ChkPika";
constexpr std::u16string_view kVibrateLocation = u"frmMain!VibrateWindow";
constexpr std::u16string_view kBadFlashLimit = u"レジストリの点滅回数設定が正しくありません。";
constexpr std::u16string_view kBadVibrateWidth = u"レジストリの振幅設定が正しくありません。";

// Holds a flag up for the length of a call, however the call ends.
class Raised {
 public:
  explicit Raised(bool& flag) : flag_(flag) { flag_ = true; }
  ~Raised() { flag_ = false; }
  Raised(const Raised&) = delete;
  Raised& operator=(const Raised&) = delete;

 private:
  bool& flag_;
};

// Field `index` of a comma-separated list; a list that is too short has no
// such field (error 9).
std::u16string_view commaField(std::u16string_view list, int index) {
  for (int i = 0; i < index; ++i) {
    const std::size_t comma = list.find(u',');
    if (comma == list.npos) raise(err::kSubscript);
    list.remove_prefix(comma + 1);
  }
  return list.substr(0, list.find(u','));
}

// Twips per pixel in one direction, to the nearest whole number (ties to
// even, as the display's own conversion does).
int twipsPerPixel(int pixelsPerInch) {
  if (pixelsPerInch <= 0) raise(err::kInvalidArgument);
  const long twips = std::lrint(1440.0 / pixelsPerInch);
  if (twips <= 0) raise(err::kInvalidArgument);  // a display finer than half a twip
  return static_cast<int>(twips);
}

}  // namespace

Signals::Signals(AppState& state, Settings& settings, Reporter& reporter, SignalPorts ports)
    : state_(state), settings_(settings), reporter_(reporter), ports_(ports) {}

void Signals::ChkPika(std::uint8_t withheld) {
  Scope scope(reporter_, kPikaLocation);
  const DateTime now = ports_.clock.now();
  // Any other minute than "00" rearms the signal, not only "01": a machine
  // that sleeps through minute "01" must not lose the next hour's signal.
  if (now.minute != 0) {
    hourlySignalDone_ = 0;
    return;
  }
  if (hourlySignalDone_ != 0) return;
  // The flash tick's message is open (the main timer runs on under boxes
  // that no main tick opened): a signal now would stack its own boxes on it.
  // It is held and given once the message is answered: late, not lost.
  if (inFlashTick_) {
    if (!heldPika_) heldPika_ = HeldPika{now.hour, withheld};
    return;
  }
  givePika(scope, now.hour, withheld);
}

void Signals::givePika(Scope& scope, int hour, std::uint8_t withheld) {
  // Set before anything runs: strikes and shakes yield to the message loop,
  // and the checks of nested ticks must find the signal given.
  hourlySignalDone_ = 1;

  // A switch whose stored text is no number is reported and counts as on.
  const auto on = [&](const KeyDef& key) { return scope.test([&] { return readLong(settings_, key) == 1; }); };
  if (on(keys::kTimePipo)) chime(scope, hour);
  if (withheld == 0) {
    if (on(keys::kTimePika)) scope.step([&] { ports_.flashTimer.enable(); });
    if (on(keys::kTimeFuru))
      scope.step([&] { VibrateWindow(foreground(), readInteger(settings_, keys::kTimeFuruCount)); });
  }
  if (state_.plugInFlags.tavoCt == 1) hourlyEntries(scope, hour);
}

void Signals::chime(Scope& scope, int hour) {
  CmdLine cmd;
  scope.step([&] { cmd.program = readText(settings_, keys::kWaveFilePath1); });
  scope.step([&] { SplitCmdLine(cmd, reporter_); });
  if (!isWaveFile(cmd.program)) return;  // a program is neither played nor started

  int strikes = 1;
  if (scope.test([&] { return readLong(settings_, keys::kPipoHato) == 1; })) strikes = hour % 12 == 0 ? 12 : hour % 12;
  for (int i = 1; i < strikes; ++i) {
    scope.step([&] { ports_.sound.playWave(cmd.program, true); });
    scope.step([&] { ports_.pump.yield(); });
  }
  // The last strike waits only with "/w"; otherwise the check goes on while it sounds.
  scope.step([&] { ports_.sound.playWave(cmd.program, isWaitSwitch(cmd.arguments)); });
}

namespace {
constexpr std::int64_t kMaxHourlyEntry = 999;
}  // namespace

void Signals::hourlyEntries(Scope& scope, int hour) {
  std::int32_t count = 0;
  bool counted = false;
  scope.step([&] {
    count = toLong(commaField(readText(settings_, keys::kCuteCounts), hour));
    counted = true;
  });
  if (!counted) {
    // Without a count for the hour the only entry tried is number 00.
    runEntry(scope, hour, 0);
    return;
  }
  // A count of millions would keep the thread reading keys for minutes; no
  // companion program numbers its entries beyond three digits.
  for (std::int64_t n = std::min<std::int64_t>(count, kMaxHourlyEntry); n >= 1; --n)
    runEntry(scope, hour, static_cast<int>(n));
}

void Signals::runEntry(Scope& scope, int hour, int entry) {
  std::u16string line;
  scope.step([&] { line = trimBlanks(settings_.get(kSectionMain, cuteKey(hour, entry), u"")); });
  if (!line.empty()) scope.step([&] { PlayAlarmFile(line, ports_.sound, ports_.shell, reporter_); });
}

void Signals::VibrateWindow(WindowHandle window, std::int16_t count) {
  Scope scope(reporter_, kVibrateLocation);
  std::int16_t width = 0;  // stays 0 for a width that is no number: the window keeps its place
  scope.step([&] {
    try {
      width = readInteger(settings_, keys::kVibrateWidth);
    } catch (const Error& e) {
      if (e.number != err::kOverflow) throw;
      reporter_.boxes().show(invalidSettingText(kBadVibrateWidth), kReportTitle, kReportFlags);
      width = 20;
      saveText(settings_, keys::kVibrateWidth, u"20");
    }
  });
  int dx = 0, dy = 0;
  scope.step([&] { dx = width / twipsPerPixel(ports_.desktop.pixelsPerInchX()); });
  scope.step([&] { dy = width / twipsPerPixel(ports_.desktop.pixelsPerInchY()); });

  std::optional<Rect> rect;
  scope.step([&] { rect = ports_.desktop.windowRect(window); });
  // Without its place the window could not be put back where it was.
  if (!rect) return;
  const int left = static_cast<int>(rect->left), top = static_cast<int>(rect->top);
  const auto moveTo = [&](int x, int y) {
    scope.step([&] { ports_.desktop.setWindowPos(window, swp::kNoTopmost, x, y, swp::kNoSize | swp::kShowWindow); });
  };
  const std::pair<int, int> cycle[] = {{left + dx, top}, {left, top + dy}, {left - dx, top}, {left, top - dy}};
  for (int i = 0; i <= count; ++i) {
    for (const auto& [x, y] : cycle) {
      moveTo(x, y);
      scope.step([&] { ports_.pump.yield(); });
    }
  }
  moveTo(left, top);
}

void Signals::tmrFlash_Timer() {
  // While a message box is open the run waits. A tick may have to show the
  // limit's message itself, and boxes must never stack: not two of its own,
  // nor one over an alarm box or an error report.
  if (inFlashTick_ || reporter_.boxes().anyOpen()) return;
  Scope scope(reporter_, kFlashTickLocation);
  {
    Raised busy(inFlashTick_);
    scope.step([&] { ports_.desktop.flashWindow(foreground()); });
    if (flashCount_ == 0) {
      readFlashLimit(scope);
      flashCount_ = 1;
    } else if (flashCount_ > flashLimit_) {
      scope.step([&] { ports_.flashTimer.disable(); });
      flashCount_ = 0;
    } else if (flashCount_ == 255) {
      // The count would pass what a byte holds: the limit 255 is as invalid
      // as a larger one, and the next tick ends the run.
      flashLimitInvalid(scope);
    } else {
      ++flashCount_;
    }
  }
  // Checks held back while the message was open run now, the alarm's in
  // order and at the times they came: late rather than lost.
  while (!heldAlarmChecks_.empty() && !inAlarm_) {
    const DateTime t = heldAlarmChecks_.front();
    heldAlarmChecks_.erase(heldAlarmChecks_.begin());
    scope.step([&] {
      Raised busy(inAlarm_);
      checkAlarmAt(t);
    });
  }
  if (const auto held = std::exchange(heldPika_, std::nullopt)) {
    Scope pika(reporter_, kPikaLocation);
    givePika(pika, held->hour, held->withheld);
  }
}

void Signals::readFlashLimit(Scope& scope) {
  // A limit that is no number is reported and the previous run's limit stays.
  scope.step([&] {
    try {
      flashLimit_ = readByte(settings_, keys::kFlashLimit);
    } catch (const Error& e) {
      if (e.number != err::kOverflow) throw;
      flashLimitInvalid(scope);
    }
  });
}

void Signals::flashLimitInvalid(Scope& scope) {
  scope.step([&] { reporter_.boxes().show(invalidSettingText(kBadFlashLimit), kReportTitle, kReportFlags); });
  flashLimit_ = 50;
  scope.step([&] { saveText(settings_, keys::kFlashLimit, u"50"); });
}

void Signals::ChkAlarm() {
  // A check that comes while an earlier one is still under way (a tick run
  // while the "Call Me" program starts, or by the box's own message loop)
  // stays out: the repeat state changes only after the answer, so it would
  // find the same box due and stack a second one.
  if (inAlarm_) return;
  if (inFlashTick_) {
    heldAlarmChecks_.push_back(ports_.clock.now());
    return;
  }
  Raised busy(inAlarm_);
  checkAlarmAt(ports_.clock.now());
}

void Signals::checkAlarmAt(const DateTime& t) {
  const std::u16string now = zeroPadded(t.hour, 2) + u":" + zeroPadded(t.minute, 2);
  const std::u16string call = readText(settings_, keys::kWaveFilePath2);
  if (now == state_.alarmTime) {
    if (alarmBox(call, kAlarmFlags) == mb::kIdCancel) alarmRepeat_ = 1;
  }
  if (alarmRepeat_ != 1) return;
  if (alarmRepeatCount_ == 3) {
    if (alarmBox(call, kAlarmRepeatFlags) != mb::kIdCancel) alarmRepeat_ = 0;
    alarmRepeatCount_ = 0;
  } else {
    ++alarmRepeatCount_;
  }
}

int Signals::alarmBox(std::u16string_view call, unsigned flags) {
  if (!call.empty()) PlayAlarmFile(call, ports_.sound, ports_.shell, reporter_);
  const int answer = reporter_.boxes().show(state_.alarmMessage, kAlarmTitle, flags);
  ports_.flashTimer.enable();  // the flash follows the answer
  return answer;
}

}  // namespace tavo
