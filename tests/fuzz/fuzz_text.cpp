// Arbitrary text as a command line: no crash, no report; the split parts are
// trimmed and split the same when joined again, and PlayAlarmFile launches
// exactly them.
#include "fuzz.h"
#include "main/launch.h"
#include "platform/fake/fake_prompt.h"
#include "platform/fake/fake_system.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::u16string text = fuzz::text16(data, size);
  commandLine(text);
  return 0;
}
