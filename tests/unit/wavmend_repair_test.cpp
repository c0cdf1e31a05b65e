// Wavmend's repair of the two stored paths, and what it tells the user.
#include "wavmend/repair.h"

#include <gtest/gtest.h>

#include "boxed.h"
#include "platform/fake/fake_store.h"
#include "settings/keys.h"

namespace tavo::wavmend {
namespace {

class WavmendRepair : public ::testing::Test {
 protected:
  void set(const KeyDef& key, std::u16string_view value) { store.MemoryStore::write(kAppName, key.section, key.name, value); }
  std::optional<std::u16string> stored(const KeyDef& key) { return store.MemoryStore::read(kAppName, key.section, key.name); }
  bool fix() { return cmdMain_Fix(settings, prompt); }

  fake::LoggingStore store;
  Settings settings{store};
  fake::FakePrompt prompt;
};

TEST_F(WavmendRepair, MissingKeysAreNotCreatedAndTheMessageComesEveryTime) {
  EXPECT_TRUE(fix());
  EXPECT_EQ(store.valueCount(), 0u);
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
  const fake::ShownBox& box = prompt.shown[0];
  EXPECT_TRUE(contains(box.text, u"1000") && contains(box.text, u"書けません")) << utf8(box.text);
  EXPECT_EQ(box.flags & 0xF0u, mb::kIconError);
  EXPECT_NE(box.title, u"Fixed!");

  store.failKey.clear();
  store.failReads = true;
  EXPECT_FALSE(fix());
  EXPECT_EQ(prompt.shown.size(), 2u);
}

}  // namespace
}  // namespace tavo::wavmend
