// Wavmend's repair of the two stored paths, and what it tells the user.
#include "wavmend/repair.h"

#include <gtest/gtest.h>

#include "dialogs_fixture.h"

namespace tavo::wavmend {
namespace {

class WavmendRepair : public ::testing::Test {
 protected:
  void set(const KeyDef& key, std::u16string_view value) { store.inner.write(kAppName, key.section, key.name, value); }
  std::optional<std::u16string> stored(const KeyDef& key) { return store.inner.read(kAppName, key.section, key.name); }
  bool fix() { return cmdMain_Fix(settings, prompt); }

  test::LoggingStore store;
  Settings settings{store};
  fake::FakePrompt prompt;
};

TEST_F(WavmendRepair, QuotesEveryValueNotBeginningWithAQuote) {
  const struct {
    std::u16string_view before, after;
  } cases[] = {
      {u" chime.wav ", u"\" chime.wav \""},  // no trimming
      {u"\"C:\\My Sounds\\a.wav\" /w", u"\"C:\\My Sounds\\a.wav\" /w"},
      {u"\"C:\\no closing quote.wav", u"\"C:\\no closing quote.wav"},
      {u"", u""},
  };
  for (const auto& c : cases) {
    store.log.clear();
    set(keys::kWaveFilePath1, c.before);
    set(keys::kWaveFilePath2, c.before);
    EXPECT_TRUE(fix());
    EXPECT_EQ(stored(keys::kWaveFilePath1), c.after) << utf8(c.before);
    EXPECT_EQ(stored(keys::kWaveFilePath2), c.after) << utf8(c.before);
    EXPECT_EQ(store.log.size(), c.before == c.after ? 0u : 2u) << utf8(c.before);
    // A second run changes nothing.
    store.log.clear();
    EXPECT_TRUE(fix());
    EXPECT_TRUE(store.log.empty()) << utf8(c.before);
  }
}

TEST_F(WavmendRepair, MissingKeysAreNotCreatedAndTheMessageComesEveryTime) {
  EXPECT_TRUE(fix());
  EXPECT_EQ(store.inner.valueCount(), 0u);
  set(keys::kWaveFilePath2, u"a.wav");
  EXPECT_TRUE(fix());
  EXPECT_EQ(stored(keys::kWaveFilePath1), std::nullopt);
  EXPECT_EQ(stored(keys::kWaveFilePath2), u"\"a.wav\"");
  ASSERT_EQ(prompt.shown.size(), 2u);
  EXPECT_EQ(prompt.shown[1].flags, 0x40u);
}

TEST_F(WavmendRepair, AStoreFailureIsNamedAndEndsTheProgram) {
  set(keys::kWaveFilePath1, u"a.wav");
  set(keys::kWaveFilePath2, u"b.wav");
  store.failKey = u"WaveFilePath2";
  EXPECT_FALSE(fix());
  EXPECT_EQ(stored(keys::kWaveFilePath1), u"\"a.wav\"") << "what was written stays written";
  ASSERT_EQ(prompt.shown.size(), 1u);
  EXPECT_TRUE(contains(prompt.shown[0].text, u"1000")) << utf8(prompt.shown[0].text);
  EXPECT_TRUE(contains(prompt.shown[0].text, u"書けません")) << utf8(prompt.shown[0].text);
  EXPECT_EQ(prompt.shown[0].flags & 0xF0u, mb::kIconError);
  EXPECT_NE(prompt.shown[0].title, u"Fixed!");

  store.failKey.clear();
  store.inner.failReads = true;
  EXPECT_FALSE(fix());
  EXPECT_EQ(prompt.shown.size(), 2u);
}

}  // namespace
}  // namespace tavo::wavmend
