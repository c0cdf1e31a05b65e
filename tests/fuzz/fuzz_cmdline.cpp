// Splitting and launching arbitrary command lines. A quoted program runs
// between its quotes (to the end when the closing one is missing), any other
// up to the first blank; the arguments are the trimmed rest. The parts joined
// again split the same. What is played or opened is exactly those parts, and
// nothing is ever reported.
#include <vector>

#include "fuzz_text.h"
#include "main/launch.h"

namespace {

using fuzz::check;

class Launches : public tavo::Sound, public tavo::Shell, public tavo::Prompt {
 public:
  void playWave(std::u16string_view path, bool sync) override {
    log.push_back(u"wave " + std::u16string(path) + (sync ? u" /w" : u""));
  }
  void open(std::u16string_view file, std::u16string_view arguments) override {
    log.push_back(u"open " + std::u16string(file) + u"|" + std::u16string(arguments));
  }
  int messageBox(std::u16string_view, std::u16string_view, unsigned) override { std::abort(); }
  std::vector<std::u16string> log;
};

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::u16string text = fuzz::text16(data, size);
  Launches launches;
  tavo::Boxes boxes(launches);
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

  tavo::PlayAlarmFile(text, launches, launches, reporter);
  std::vector<std::u16string> expected;
  if (!cmd.program.empty())
    expected.push_back(endsInWav(cmd.program) ? u"wave " + cmd.program + (wait ? u" /w" : u"")
                                              : u"open " + cmd.program + u"|" + cmd.arguments);
  check(launches.log == expected);
  return 0;
}
