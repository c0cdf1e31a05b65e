// Splitting and launching arbitrary command lines. The parts must put the
// text back together: a quoted program between its quotes (or to the end
// when the closing quote is missing), otherwise the program up to the first
// blank, and in both cases the arguments are the trimmed rest. Splitting the
// parts joined again gives the same parts. What is played or opened is
// exactly those parts, and nothing is ever reported.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/text.h"
#include "main/launch.h"

namespace {

void check(bool ok, int line = __builtin_LINE()) {
  if (ok) return;
  std::fprintf(stderr, "fuzz_cmdline: check on line %d failed\n", line);
  std::abort();
}

class NullPrompt : public tavo::Prompt {
 public:
  int messageBox(std::u16string_view, std::u16string_view, unsigned) override { std::abort(); }
};

struct Call {
  int count = 0;
  std::u16string first, second;
  bool wait = false;
};

class CheckSound : public tavo::Sound {
 public:
  void playWave(std::u16string_view path, bool synchronous) override {
    ++call.count;
    call.first = path;
    call.wait = synchronous;
  }
  Call call;
};

class CheckShell : public tavo::Shell {
 public:
  void open(std::u16string_view file, std::u16string_view arguments) override {
    ++call.count;
    call.first = file;
    call.second = arguments;
  }
  Call call;
};

bool trimmed(std::u16string_view s) { return tavo::trimBlanks(s).size() == s.size(); }

tavo::CmdLine split(std::u16string_view text, tavo::Reporter& reporter) {
  tavo::CmdLine cmd{std::u16string(text), u"stale"};
  tavo::SplitCmdLine(cmd, reporter);
  return cmd;
}

// Written out apart from the product's test so that the two can disagree.
bool endsInWav(std::u16string_view s) {
  if (s.size() < 4) return false;
  std::u16string tail(s.substr(s.size() - 4));
  for (auto& c : tail)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
  return tail == u".wav";
}

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

  const tavo::CmdLine cmd = split(text, reporter);
  const std::u16string_view whole = tavo::trimBlanks(text);
  check(trimmed(cmd.program) && trimmed(cmd.arguments));
  check(cmd.program.size() + cmd.arguments.size() <= whole.size());

  if (whole.starts_with(u'"')) {
    const std::size_t close = whole.find(u'"', 1);
    if (close == std::u16string_view::npos) {
      check(cmd.program == tavo::trimBlanks(whole.substr(1)));
      check(cmd.arguments.empty());
    } else {
      check(cmd.program == tavo::trimBlanks(whole.substr(1, close - 1)));
      check(cmd.arguments == tavo::trimBlanks(whole.substr(close + 1)));
    }
    check(cmd.program.find(u'"') == std::u16string::npos);
  } else {
    // The program is the text up to the first blank, the rest the arguments.
    check(whole.starts_with(cmd.program));
    check(cmd.program.find(u' ') == std::u16string::npos);
    check(cmd.program.empty() == whole.empty());
    const std::u16string_view rest = whole.substr(cmd.program.size());
    check(rest.empty() || rest.front() == u' ');
    check(cmd.arguments == tavo::trimBlanks(rest));
  }

  // The parts joined again (the program quoted when it needs it) split the same.
  const bool quote = whole.starts_with(u'"');
  const std::u16string joined =
      (quote ? u"\"" + cmd.program + u"\"" : cmd.program) + (cmd.arguments.empty() ? u"" : u" " + cmd.arguments);
  const tavo::CmdLine again = split(u"  " + joined + u" ", reporter);
  check(again.program == cmd.program && again.arguments == cmd.arguments);

  check(tavo::isWaveFile(cmd.program) == endsInWav(cmd.program));
  check(tavo::isWaitSwitch(cmd.arguments) == tavo::equalsNoCaseAscii(cmd.arguments, u"/w"));

  CheckSound sound;
  CheckShell shell;
  tavo::PlayAlarmFile(text, sound, shell, reporter);
  if (cmd.program.empty()) {
    check(sound.call.count == 0 && shell.call.count == 0);
  } else if (endsInWav(cmd.program)) {
    check(sound.call.count == 1 && shell.call.count == 0);
    check(sound.call.first == cmd.program);
    check(sound.call.wait == tavo::equalsNoCaseAscii(cmd.arguments, u"/w"));
  } else {
    check(shell.call.count == 1 && sound.call.count == 0);
    check(shell.call.first == cmd.program && shell.call.second == cmd.arguments);
  }
  return 0;
}
