// Splitting and launching arbitrary command lines: the parts always come
// from the text as the rules cut it, and nothing is ever reported.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/text.h"
#include "main/launch.h"

namespace {

class NullPrompt : public tavo::Prompt {
 public:
  int messageBox(std::u16string_view, std::u16string_view, unsigned) override { std::abort(); }
};

class CheckSound : public tavo::Sound {
 public:
  void playWave(std::u16string_view path, bool) override {
    if (!tavo::isWaveFile(path)) std::abort();
    ++calls;
  }
  int calls = 0;
};

class CheckShell : public tavo::Shell {
 public:
  void open(std::u16string_view file, std::u16string_view) override {
    if (file.empty() || tavo::isWaveFile(file)) std::abort();
    ++calls;
  }
  int calls = 0;
};

bool trimmed(std::u16string_view s) { return tavo::trimBlanks(s).size() == s.size(); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A leading 0xFF byte: the rest is raw UTF-16LE; otherwise UTF-8.
  std::u16string text;
  if (size > 0 && data[0] == 0xFF) {
    for (std::size_t i = 1; i + 1 < size; i += 2) text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  } else {
    text = tavo::utf16(std::string_view(reinterpret_cast<const char*>(data), size));
  }

  NullPrompt prompt;
  tavo::Boxes boxes(prompt);
  tavo::Reporter reporter(boxes, tavo::Version{1, 0, 0});

  tavo::CmdLine cmd{text, u"stale"};
  tavo::SplitCmdLine(cmd, reporter);
  const std::u16string_view whole = tavo::trimBlanks(text);
  if (!trimmed(cmd.program) || !trimmed(cmd.arguments)) std::abort();
  if (whole.find(cmd.program) == std::u16string_view::npos) std::abort();
  if (!whole.ends_with(cmd.arguments)) std::abort();
  if (cmd.program.size() + cmd.arguments.size() > whole.size()) std::abort();
  if (whole.starts_with(u'"')) {
    if (cmd.program.find(u'"') != std::u16string::npos) std::abort();
  } else {
    if (!whole.starts_with(cmd.program) || cmd.program.find(u' ') != std::u16string::npos) std::abort();
    if (!cmd.arguments.empty() && whole.size() == cmd.program.size()) std::abort();
  }

  CheckSound sound;
  CheckShell shell;
  tavo::PlayAlarmFile(text, sound, shell, reporter);
  if (sound.calls + shell.calls != (cmd.program.empty() ? 0 : 1)) std::abort();
  return 0;
}
