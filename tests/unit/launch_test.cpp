// Splitting stored command lines and choosing between sound and shell.
#include "main/launch.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "boxed.h"
#include "platform/fake/fake_prompt.h"
#include "platform/fake/fake_system.h"

namespace tavo {
namespace {

using Reports = test::Boxed;

TEST(SplitCmdLine, Table) {
  const struct { std::u16string_view text, program, arguments; } cases[] = {
      {u"", u"", u""}, {u"   ", u"", u""}, {u"chime.wav", u"chime.wav", u""}, {u"a  b   c", u"a", u"b   c"},
      {u"  chime.wav   /w  ", u"chime.wav", u"/w"}, {u"\"", u"", u""}, {u"\"\" /w", u"", u"/w"},
      {u"a\"b c\"", u"a\"b", u"c\""}, {u"\tx.wav\t", u"\tx.wav\t", u""},  // only blanks are trimmed
      // Unquoted: a path with a blank is cut at the blank.
      {u"C:\\Program Files\\x.exe -q", u"C:\\Program", u"Files\\x.exe -q"},
      {u"\"C:\\Program Files\\x.exe\" -q  \"y z\"", u"C:\\Program Files\\x.exe", u"-q  \"y z\""},
      {u"\"C:\\音 楽\\鳩.wav\"/W", u"C:\\音 楽\\鳩.wav", u"/W"}, {u"\" spaced \"  arg ", u"spaced", u"arg"},
      {u"\"unterminated path with blanks ", u"unterminated path with blanks", u""},
  };
  Reports r;
  for (const auto& c : cases) {
    SCOPED_TRACE(utf8(c.text));
    CmdLine cmd{std::u16string(c.text), u"left over"};
    SplitCmdLine(cmd, r.reporter);
    EXPECT_EQ(cmd.program, c.program);
    EXPECT_EQ(cmd.arguments, c.arguments);
  }
  EXPECT_TRUE(r.prompt.shown.empty());
}

TEST(PlayAlarmFile, WaveOrShellAndAFailingSoundReported) {
  const struct {
    std::u16string_view commandLine, action;  // action "" = nothing at all
    bool soundFails = false;
  } cases[] = {
      {u"c:\\a.wav", u"wave async c:\\a.wav"}, {u"c:\\a.WaV /W", u"wave sync c:\\a.WaV"},
      {u"\"c:\\my files\\a.wav\"  /w ", u"wave sync c:\\my files\\a.wav"},
      {u"c:\\a.wav /w now", u"wave async c:\\a.wav"}, {u".wav", u"wave async .wav"},
      {u"c:\\a.wave", u"open c:\\a.wave|"}, {u"c:\\a.wav.txt /w", u"open c:\\a.wav.txt|/w"},
      {u"notepad.exe c:\\memo.txt", u"open notepad.exe|c:\\memo.txt"},
      {u"\"C:\\Program Files\\x.exe\" \"arg one\"", u"open C:\\Program Files\\x.exe|\"arg one\""},
      {u"   ", u""}, {u"\"\" /w", u""},
      {u"a.wav", u"", true},  // reported, and a wave file is never handed to the shell
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(utf8(c.commandLine));
    Reports r;
    fake::LaunchLog log;
    fake::LogSound sound(log);
    fake::LogShell shell(log);
    sound.failWith = c.soundFails ? err::kFileNotFound : 0;
    PlayAlarmFile(c.commandLine, sound, shell, r.reporter);
    EXPECT_EQ(log, c.action.empty() ? fake::LaunchLog{} : fake::LaunchLog{std::u16string(c.action)});
    EXPECT_EQ(r.prompt.shown.size(), c.soundFails ? 1u : 0u);
    EXPECT_EQ(test::reportCount(r.prompt.shown, u"mdlPub!PlayAlarmFile", err::kFileNotFound), c.soundFails);
  }
}

}  // namespace
}  // namespace tavo
