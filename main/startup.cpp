#include "main/startup.h"

#include <optional>
#include <utility>

#include "main/cycle.h"
#include "settings/convert.h"
#include "settings/keys.h"

namespace tavo {

namespace {

// Reads one value. Strict (no scope): errors propagate. Tolerant: the error is
// reported under the scope and `fallback` is the value.
template <class T, class Read>
T readOr(Scope* tolerant, Read read, T fallback) {
  if (!tolerant) return read();
  try {
    return read();
  } catch (const Error& e) {
    tolerant->report(e);
    return fallback;
  }
}

void loadMain(Settings& s, AppState& state, Scope* tolerant) {
  state.clockRight = readOr(tolerant, [&] { return readByte(s, keys::kClockRight); }, toByte(keys::kClockRight.fallback));
  state.checkInterval = normalizedInterval(readOr(
      tolerant, [&] { return readInteger(s, keys::kCheckInterval); }, toInteger(keys::kCheckInterval.fallback)));
}

void loadAlarm(Settings& s, AppState& state, Scope* tolerant) {
  state.alarmOn = readOr(tolerant, [&] { return readByte(s, keys::kAlarm); }, toByte(keys::kAlarm.fallback));
  state.equalSeparate =
      readOr(tolerant, [&] { return readByte(s, keys::kEqualSeparate); }, toByte(keys::kEqualSeparate.fallback));
  state.alarmMessage = readOr(tolerant, [&] { return readText(s, keys::kAlarmMessage); },
                              std::u16string(keys::kAlarmMessage.fallback));
  state.alarmTime =
      readOr(tolerant, [&] { return readText(s, keys::kAlarmTime); }, std::u16string(keys::kAlarmTime.fallback));
}

PlugInFlags plugIn(Settings& s, Scope* tolerant) {
  auto flag = [&](const KeyDef& key) {
    return readOr(tolerant, [&] { return readByte(s, key); }, toByte(key.fallback));
  };
  PlugInFlags f;
  f.hideout = flag(keys::kHideout);
  f.tavoTT = flag(keys::kTavoTT);
  f.tavoXX = flag(keys::kTavoXX);
  f.tavoCt = flag(keys::kTavoCt);
  return f;
}

// The standard pattern reads every display setting as a number. This view of
// the store reports a value that is no number (or that the store cannot
// read) and lets it read as missing, so that setting alone takes its default.
class NumbersOrDefault : public Store {
 public:
  NumbersOrDefault(Store& inner, Scope& scope) : inner_(inner), scope_(scope) {}
  std::optional<std::u16string> read(std::u16string_view app, std::u16string_view section,
                                     std::u16string_view key) override {
    try {
      auto value = inner_.read(app, section, key);
      if (value) toNumber(*value);
      return value;
    } catch (const Error& e) {
      scope_.report(e);
      return std::nullopt;
    }
  }
  void write(std::u16string_view app, std::u16string_view section, std::u16string_view key,
             std::u16string_view value) override {
    inner_.write(app, section, key, value);
  }
  void erase(std::u16string_view app, std::u16string_view section, std::u16string_view key) override {
    inner_.erase(app, section, key);
  }

 private:
  Store& inner_;
  Scope& scope_;
};

}  // namespace

std::int16_t normalizedInterval(std::int16_t stored) {
  return stored == 50 || stored == 250 || stored == 1000 ? stored : std::int16_t{250};
}

void LoadAlarmSet(Settings& settings, AppState& state) { loadAlarm(settings, state, nullptr); }

MainSet readMainSet(Settings& settings, Scope& tolerant) {
  MainSet m;
  AppState state;
  loadMain(settings, state, &tolerant);
  m.clockRight = state.clockRight;
  m.checkInterval = state.checkInterval;
  tolerant.step([&] {
    const std::int16_t taste = readInteger(settings, keys::kUserTaste);
    if (taste >= 0 && taste <= 255) m.storedTaste = taste;
    if (taste != 0 && taste != 1) raise(err::kSubscript);
    m.taste = taste;
  });
  return m;
}

void LoadAlarmSet(Settings& settings, AppState& state, Scope& tolerant) { loadAlarm(settings, state, &tolerant); }

std::uint8_t readOverlay(Settings& settings, Scope& tolerant) {
  return readOr(&tolerant, [&] { return readByte(settings, keys::kOverlay); }, toByte(keys::kOverlay.fallback));
}

PlugInFlags GetPlugIn(Settings& settings, Scope& tolerant) { return plugIn(settings, &tolerant); }

std::optional<std::u16string> standardPattern(Settings& settings, int taste, Scope& tolerant) {
  NumbersOrDefault checked(settings.store(), tolerant);
  Settings view(checked);
  std::optional<std::u16string> pattern;
  tolerant.step([&] { pattern = GetStdFormat(view, taste); });
  return pattern;
}

}  // namespace tavo
