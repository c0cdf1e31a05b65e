#include "main/launch.h"

#include <string>

#include "base/text.h"

namespace tavo {

namespace {
constexpr std::u16string_view kSplitLocation = u"mdlTavo!SplitCmdLine";
constexpr std::u16string_view kPlayLocation = u"mdlPub!PlayAlarmFile";
}  // namespace

void SplitCmdLine(CmdLine& cmd, Reporter& reporter) {
  Scope scope(reporter, kSplitLocation);
  std::u16string text, program, arguments;
  scope.step([&] {
    text = std::u16string(trimBlanks(cmd.program));
    cmd.program = text;
  });
  scope.step([&] { program = text; });
  scope.step([&] {
    if (text.starts_with(u'"')) {
      const auto q = text.find(u'"', 1);
      if (q != std::u16string::npos) {
        program = text.substr(1, q - 1);
        arguments = text.substr(q + 1);
      } else {
        program = text.substr(1);
      }
    } else {
      const auto b = text.find(u' ');
      if (b != std::u16string::npos) {
        program = text.substr(0, b);
        arguments = text.substr(b);
      }
    }
  });
  scope.step([&] {
    cmd.program = std::u16string(trimBlanks(program));
    cmd.arguments = std::u16string(trimBlanks(arguments));
  });
}

bool isWaveFile(std::u16string_view program) {
  return program.size() >= 4 && equalsNoCaseAscii(program.substr(program.size() - 4), u".wav");
}

bool isWaitSwitch(std::u16string_view arguments) { return equalsNoCaseAscii(trimBlanks(arguments), u"/w"); }

void PlayAlarmFile(std::u16string_view commandLine, Sound& sound, Shell& shell, Reporter& reporter) {
  Scope scope(reporter, kPlayLocation);
  CmdLine cmd;
  scope.step([&] {
    cmd.program = commandLine;
    SplitCmdLine(cmd, reporter);
  });
  // Nothing to play or open: the shell would be asked to open the empty
  // name, which at best fails and at worst opens the current folder.
  if (cmd.program.empty()) return;
  if (scope.test([&] { return isWaveFile(cmd.program); })) {
    scope.step([&] { sound.playWave(cmd.program, isWaitSwitch(cmd.arguments)); });
  } else {
    scope.step([&] { shell.open(cmd.program, cmd.arguments); });
  }
}

}  // namespace tavo
