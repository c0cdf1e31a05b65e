// Arbitrary text as a command line and as a number.
//
// A quoted program runs between its quotes (to the end when the closing one
// is missing), any other up to the first blank; the arguments are the
// trimmed rest. The parts joined again split the same. What is played or
// opened is exactly those parts, and nothing is ever reported.
//
// The numeric conversions either give a finite number or raise type
// mismatch or overflow; the narrower ones round it half to even and
// range-check it.
#include <cmath>

#include "fuzz.h"
#include "main/launch.h"
#include "platform/fake/fake_prompt.h"
#include "platform/fake/fake_system.h"
#include "settings/convert.h"

namespace {

using fuzz::check;

tavo::CmdLine split(std::u16string_view text, tavo::Reporter& reporter) {
  tavo::CmdLine cmd{std::u16string(text), u"stale"};
  tavo::SplitCmdLine(cmd, reporter);
  return cmd;
}

bool trimmed(std::u16string_view s) { return tavo::trimBlanks(s).size() == s.size(); }

// Written out apart from the product's test so that the two can disagree.
bool endsInWav(std::u16string_view s) {
  if (s.size() < 4) return false;
  std::u16string tail(s.substr(s.size() - 4));
  for (auto& c : tail)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
  return tail == u".wav";
}

void commandLine(const std::u16string& text) {
  tavo::fake::FakePrompt prompt;
  tavo::Boxes boxes(prompt);
  tavo::Reporter reporter(boxes, tavo::Version{1, 0, 0});
  const tavo::CmdLine cmd = split(text, reporter);
  const std::u16string_view whole = tavo::trimBlanks(text);
  const bool quoted = whole.starts_with(u'"');
  check(trimmed(cmd.program) && trimmed(cmd.arguments));
  if (quoted) {
    const std::size_t close = whole.find(u'"', 1);
    check(cmd.program == tavo::trimBlanks(whole.substr(1, close == whole.npos ? close : close - 1)));
    check(cmd.arguments == (close == whole.npos ? std::u16string_view() : tavo::trimBlanks(whole.substr(close + 1))));
    check(cmd.program.find(u'"') == std::u16string::npos);
  } else {
    check(whole.starts_with(cmd.program) && cmd.program.find(u' ') == std::u16string::npos);
    check(cmd.program.empty() == whole.empty());
    const std::u16string_view rest = whole.substr(cmd.program.size());
    check(rest.empty() || rest.front() == u' ');
    check(cmd.arguments == tavo::trimBlanks(rest));
  }

  const std::u16string joined =
      (quoted ? u"\"" + cmd.program + u"\"" : cmd.program) + (cmd.arguments.empty() ? u"" : u" " + cmd.arguments);
  const tavo::CmdLine again = split(u"  " + joined + u" ", reporter);
  check(again.program == cmd.program && again.arguments == cmd.arguments);

  const bool wait = tavo::equalsNoCaseAscii(cmd.arguments, u"/w");
  check(tavo::isWaveFile(cmd.program) == endsInWav(cmd.program));
  check(tavo::isWaitSwitch(cmd.arguments) == wait);

  tavo::fake::LaunchLog log;
  tavo::fake::LogSound sound(log);
  tavo::fake::LogShell shell(log);
  tavo::PlayAlarmFile(text, sound, shell, reporter);
  tavo::fake::LaunchLog expected;
  if (!cmd.program.empty())
    expected.push_back(endsInWav(cmd.program) ? u"wave " + std::u16string(wait ? u"sync " : u"async ") + cmd.program
                                              : u"open " + cmd.program + u"|" + cmd.arguments);
  check(log == expected && prompt.shown.empty());
}

// 0 when the conversion succeeds, else the error number.
int attempt(auto&& convert) {
  try {
    convert();
  } catch (const tavo::Error& e) {
    check(e.number == tavo::err::kTypeMismatch || e.number == tavo::err::kOverflow);
    return e.number;
  }
  return 0;
}

template <typename T>
void whole(int numberError, double number, T (*convert)(std::u16string_view), std::u16string_view text, double low,
           double high) {
  T value{};
  const int error = attempt([&] { value = convert(text); });
  const double rounded = std::nearbyint(number);
  if (numberError != 0)
    check(error == numberError);
  else if (rounded < low || rounded > high)
    check(error == tavo::err::kOverflow);
  else
    check(error == 0 && static_cast<double>(value) == rounded);
}

void number(const std::u16string& text) {
  double number = 0;
  const int numberError = attempt([&] { number = tavo::toNumber(text); });
  check((numberError == 0) == tavo::isNumeric(text));
  check(numberError != 0 || std::isfinite(number));
  whole(numberError, number, tavo::toByte, text, 0, 255);
  whole(numberError, number, tavo::toInteger, text, -32768, 32767);
  whole(numberError, number, tavo::toLong, text, -2147483648.0, 2147483647.0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::u16string text = fuzz::text16(data, size);
  commandLine(text);
  number(text);
  return 0;
}
