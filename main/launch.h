#pragma once
// Stored command lines (chime, "Call Me", hourly entries, the help page):
// split into a program and its arguments, then played or opened.
#include <string>
#include <string_view>

#include "base/report.h"
#include "platform/ports.h"

namespace tavo {

struct CmdLine {
  std::u16string program;    // in: the command text; out: the program part
  std::u16string arguments;  // out: the arguments part
};

// Splits cmd.program in place (quotes, first blank, trimming). Reports its
// errors under "mdlTavo!SplitCmdLine".
void SplitCmdLine(CmdLine& cmd, Reporter& reporter);

// A program part that ends in ".wav" (any case).
bool isWaveFile(std::u16string_view program);
// An arguments part that is "/w" (any case, after trimming).
bool isWaitSwitch(std::u16string_view arguments);

// Plays a wave file (synchronously with "/w") or has the shell open anything
// else. Reports its errors under "mdlPub!PlayAlarmFile".
void PlayAlarmFile(std::u16string_view commandLine, Sound& sound, Shell& shell, Reporter& reporter);

}  // namespace tavo
