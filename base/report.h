#pragma once
// The error report and the "report and carry on" scopes of procedures that
// have a location name.
#include <exception>
#include <new>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>

#include "base/error.h"
#include "platform/ports.h"

namespace tavo {

inline constexpr unsigned kReportFlags = mb::kSystemModal | mb::kIconError;  // 0x1010
inline constexpr std::u16string_view kReportTitle = u"エラー - Tavo";

// The program version as it is shown and stored: 1.63.2485.
std::u16string versionText(const Version& v);
// The version compiled into this build.
Version buildVersion();

// Location names of the extended-format module carry "-XXModule".
std::u16string xxLocation(std::u16string_view procedure);

// The five lines of the error report, joined with CR LF.
std::u16string errorReportText(std::u16string_view location, const Error& e, const Version& v);

// The text of an invalid-setting message: the sentence, CR LF, the notice.
std::u16string invalidSettingText(std::u16string_view sentence);

// Every message box of the program goes through here, so a tick can tell
// that a box is open and stay out of it.
class Boxes {
 public:
  explicit Boxes(Prompt& prompt) : prompt_(prompt) {}
  int show(std::u16string_view text, std::u16string_view title, unsigned flags);
  bool anyOpen() const { return open_ > 0; }

 private:
  Prompt& prompt_;
  int open_ = 0;
};

class Reporter {
 public:
  Reporter(Boxes& boxes, Version version) : boxes_(boxes), version_(version) {}
  // Shows the error report, unless an identical one (same location, number
  // and description) was shown before: a broken setting read on every tick
  // must not raise a box on every tick.
  void report(std::u16string_view location, const Error& e);
  const Version& version() const { return version_; }
  Boxes& boxes() { return boxes_; }

 private:
  Boxes& boxes_;
  Version version_;
  std::set<std::tuple<std::u16string, int, std::u16string>> shown_;
};

// Runs statements of a procedure with a location name: an error is reported
// and execution carries on with the next statement.
class Scope {
 public:
  // Location names are literals that outlive the scope: nothing is copied on
  // the per-tick path. A temporary string would dangle, so it is refused.
  Scope(Reporter& reporter, std::u16string_view location) : reporter_(reporter), location_(location) {}
  template <std::size_t N>
  Scope(Reporter& reporter, const char16_t (&literal)[N]) : Scope(reporter, std::u16string_view(literal, N - 1)) {}
  Scope(Reporter& reporter, std::u16string&& location) = delete;

  // A statement: on error, report and continue.
  template <class F>
  void step(F&& statement) {
    try {
      std::forward<F>(statement)();
    } catch (...) {
      reportCurrent();
    }
  }

  // A test: on error, report and enter the guarded branch.
  template <class F>
  bool test(F&& condition) {
    try {
      return std::forward<F>(condition)();
    } catch (...) {
      reportCurrent();
    }
    return true;
  }

  void report(const Error& e) { reporter_.report(location_, e); }
  // Reports the exception being handled. Nothing may unwind into the system
  // from a window procedure or a tick, so a standard exception is reported
  // too; anything else is no error of ours and goes on.
  void reportCurrent();
  std::u16string_view location() const { return location_; }
  Reporter& reporter() { return reporter_; }

 private:
  Reporter& reporter_;
  std::u16string_view location_;
};

}  // namespace tavo
