// Arbitrary text as a command line and as a number: no crash, no report;
// the split parts are trimmed and split the same when joined again, and
// PlayAlarmFile launches exactly them. The numeric conversions give a
// finite number or raise type mismatch or overflow; the narrower ones round
// it half to even and range-check it.
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

void commandLine(const std::u16string& text) {
  tavo::fake::FakePrompt prompt;
  tavo::Boxes boxes(prompt);
  tavo::Reporter reporter(boxes, tavo::Version{1, 0, 0});
  const tavo::CmdLine cmd = split(text, reporter);
  check(trimmed(cmd.program) && trimmed(cmd.arguments));
  const bool quoted = tavo::trimBlanks(text).starts_with(u'"');
  const std::u16string joined =
      (quoted ? u"\"" + cmd.program + u"\"" : cmd.program) + (cmd.arguments.empty() ? u"" : u" " + cmd.arguments);
  const tavo::CmdLine again = split(u"  " + joined + u" ", reporter);
  check(again.program == cmd.program && again.arguments == cmd.arguments);

  tavo::fake::LaunchLog log, expected;
  tavo::fake::LogSound sound(log);
  tavo::fake::LogShell shell(log);
  tavo::PlayAlarmFile(text, sound, shell, reporter);
  if (!cmd.program.empty())
    expected.push_back(tavo::isWaveFile(cmd.program)
                           ? u"wave " + std::u16string(tavo::isWaitSwitch(cmd.arguments) ? u"sync " : u"async ") +
                                 cmd.program
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

void number(const std::u16string& text) {
  double number = 0;
  const int numberError = attempt([&] { number = tavo::toNumber(text); });
  check((numberError == 0) == tavo::isNumeric(text) && (numberError != 0 || std::isfinite(number)));
  const double rounded = std::nearbyint(number);
  const auto narrow = [&](auto convert, double low, double high) {
    double value = 0;
    const int error = attempt([&] { value = static_cast<double>(convert(text)); });
    check(error == (numberError ? numberError : rounded < low || rounded > high ? tavo::err::kOverflow : 0));
    check(error != 0 || value == rounded);
  };
  narrow(tavo::toByte, 0, 255);
  narrow(tavo::toInteger, -32768, 32767);
  narrow(tavo::toLong, -2147483648.0, 2147483647.0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::u16string text = fuzz::text16(data, size);
  commandLine(text);
  number(text);
  return 0;
}
