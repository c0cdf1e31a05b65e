#include <gtest/gtest.h>

#include <map>
#include <optional>

#include "base/text.h"
#include "format/xxformat.h"
#include "platform/fake/fake_prompt.h"

namespace tavo {
namespace {

class PatternTest : public ::testing::Test {
 protected:
  ClockReading expand(const char* pattern, const DateTime& now) {
    return FromXXFToShowClk(utf16(pattern), now, resources, reporter);
  }
  bool reported(std::u16string_view location, int number) const {
    const std::u16string where = u"場所:" + std::u16string(location);
    const std::u16string what = u"エラー番号:" + decimal(number) + u"\r\n";
    for (const auto& box : prompt.shown)
      if (box.text.starts_with(what) && box.text.find(where) != std::u16string::npos) return true;
    return false;
  }

  fake::FakePrompt prompt;
  Boxes boxes{prompt};
  Reporter reporter{boxes, Version{1, 70, 1}};
  fake::FakeResources resources;
};

constexpr DateTime kMorning{2026, 12, 6, 9, 5, 7};   // Sunday 9:05:07
constexpr DateTime kEvening{2026, 12, 6, 21, 5, 7};  // Sunday 21:05:07

struct Case {
  const char* pattern;
  const char* text;
  const char* key;
};

TEST_F(PatternTest, EdgeCasesOfTheScan) {
  const Case cases[] = {
      {"", "", "9:5"},
      {"abc", "abc", "9:5"},
      {"a\\%b", "a%b", "9:5"},
      {"a\\\\b", "a\\b", "9:5"},
      {"ab\\", "ab", "9:5"},
      {"x%%y", "xy", "9:5"},
      {"%h:nn%", "9:05", "9:5"},
      {"%h:nn:ss%", "9:05:07", "9:5:7"},
      {"abc%", "abc", "9:5"},
      {"abc%h", "XXErr", "9:5"},
      {"%h%x%n", "XXErr", "9:5"},
      {"%ss%x%n", "XXErr", "9:5:7"},       // the key keeps what the earlier placeholder set
      {"%h%%s", "XXErr", "9:5"},           // the open placeholder itself never reaches the "s" test
      {"%a\\%b%", "ab", "9:5"},            // inside a placeholder "\" is the formatter's
      {"%RS%", "0", "9:5"},
      {"%Rs%", "0", "9:5:7"},              // every placeholder counts for the key
      {"%o%", "26", "9:5"},
      {"%o% %r%", "26 ( ", "9:5"},
      {"%T%,%K5h%,%O%", "T,K59,O", "9:5"}, // capitals are formatter patterns
      {"%S%", "S", "9:5"},
      {"時刻 %h時nn分% 済", "時刻 9時05分 済", "9:5"},
      {"%\"s\"%", "s", "9:5:7"},           // the test looks at the code, quoted or not
      {"\\", "", "9:5"},
      {"%", "", "9:5"},
  };
  for (const Case& c : cases) {
    const ClockReading r = expand(c.pattern, kMorning);
    EXPECT_EQ(utf8(r.text), c.text) << "pattern " << c.pattern;
    EXPECT_EQ(utf8(r.timeKey), c.key) << "pattern " << c.pattern;
  }
  EXPECT_TRUE(prompt.shown.empty()) << utf8(prompt.shown.front().text);
}

TEST_F(PatternTest, StandardPatternPieces) {
  const Case cases[] = {
      {"%h:nn%,%mmm%,%d%", "21:05,Dec,6", "21:5"},
      {"%h:nn:ss%,%mmm%,%d%,%ddd%", "21:05:07,Dec,6,Sun", "21:5:7"},
      {"%tt h:nn%,%yy%,%m%/%d%,%aaa%", "9:05,26,12/6,日", "21:5"},
      {"%tt h:nn:ss%", "9:05:07", "21:5:7"},
      {"%t%", "9", "21:5"},
  };
  for (const Case& c : cases) {
    const ClockReading r = expand(c.pattern, kEvening);
    EXPECT_EQ(utf8(r.text), c.text) << "pattern " << c.pattern;
    EXPECT_EQ(utf8(r.timeKey), c.key) << "pattern " << c.pattern;
  }
}

TEST_F(PatternTest, FieldsAreChosenByTheFirstCharacter) {
  resources.present = true;
  resources.figures[0] = 81;
  resources.figures[1] = 72;
  resources.figures[2] = 63;
  EXPECT_EQ(utf8(expand("%RS%/%RG%/%RU%/%Rx%", kEvening).text), "81/72/63/0");
  EXPECT_EQ(resources.calls, 3);
  EXPECT_EQ(utf8(expand("%kk9h:nn%|%kk0hh%", {2026, 12, 6, 3, 10, 0}).text), "27:10|03");
  EXPECT_EQ(utf8(expand("%t%", {2026, 12, 6, 15, 40, 0}).text), "3");
  // Moon fields read the date of the same reading.
  EXPECT_EQ(utf8(expand("%o%%r%", {2000, 1, 6, 0, 0, 0}).text), "28-*");
  EXPECT_EQ(utf8(expand("%r%", {2026, 1, 18, 0, 0, 0}).text), "( ");
}

TEST_F(PatternTest, FieldErrorsAreReportedByTheFieldAndTheScanGoesOn) {
  resources.present = true;
  resources.failWith = err::kDllEntryPoint;
  const ClockReading r = expand("[%RS%][%kxh%]", kMorning);
  EXPECT_EQ(utf8(r.text), "[0][9]");
  ASSERT_EQ(prompt.shown.size(), 2u);
  EXPECT_TRUE(reported(u"FreeSysResource-XXModule", err::kDllEntryPoint));
  EXPECT_TRUE(reported(u"KTime-XXModule", err::kTypeMismatch));
}

TEST_F(PatternTest, AnOpenPlaceholderIsSilentWhateverCameBefore) {
  resources.present = true;
  resources.failWith = err::kDllEntryPoint;
  const ClockReading r = expand("%RS%%ss%%h", kMorning);
  EXPECT_EQ(r.text, u"XXErr");
  EXPECT_EQ(r.timeKey, u"9:5:7");
  EXPECT_EQ(prompt.shown.size(), 1u);  // only the field's own report
}

class MemoryStore : public Store {
 public:
  std::optional<std::u16string> read(std::u16string_view app, std::u16string_view section,
                                     std::u16string_view key) override {
    if (failing) raise(err::kStore);
    auto it = values.find(std::u16string(app) + u"|" + std::u16string(section) + u"|" + std::u16string(key));
    if (it == values.end()) return std::nullopt;
    return it->second;
  }
  void write(std::u16string_view, std::u16string_view, std::u16string_view, std::u16string_view) override {}
  void erase(std::u16string_view, std::u16string_view, std::u16string_view) override {}
  std::map<std::u16string, std::u16string> values;
  bool failing = false;
};

TEST_F(PatternTest, GetXXFReturnsTheStoredPatternOrEmpty) {
  MemoryStore store;
  Settings settings(store);
  EXPECT_EQ(GetXXF(settings, reporter), u"");
  store.values[u"Tavo for Windows NT/95|Main|XXFormat"] = u" %h:nn% 月齢%o% ";
  EXPECT_EQ(GetXXF(settings, reporter), u" %h:nn% 月齢%o% ");
  EXPECT_TRUE(prompt.shown.empty());

  store.failing = true;
  EXPECT_EQ(GetXXF(settings, reporter), u"");
  EXPECT_TRUE(reported(u"GetXXF-XXModule", err::kStore));
}

}  // namespace
}  // namespace tavo
