// The registry store against the real registry (run under Wine by ctest).
#include <windows.h>

#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "base/error.h"
#include "base/text.h"
#include "platform/win32/handle_win32.h"
#include "platform/win32/registry_store_win32.h"
#include "platform/win32/wide_win32.h"

namespace tavo::win32 {
namespace {

using namespace std::string_literals;

// A scratch branch per process, removed before and after each test.
class RegistryStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, wide(root_).c_str()); }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, wide(root_).c_str()); }

  const std::u16string root_ = u"Software\\Tavo unit tests\\" + decimal(GetCurrentProcessId());
  RegistryStore store_{root_};
};

TEST_F(RegistryStoreTest, ValuesRoundTripCaseInsensitivelyAndEraseOneByOne) {
  EXPECT_EQ(store_.read(u"App", u"Main", u"Alarm"), std::nullopt);  // no branch at all yet
  for (const std::u16string& value : {u"1"s, u""s, std::u16string(100000, u'w'), u"\U0001F319 時間だよ"s,
                                      u"a\0b"s, u"trailing\0"s}) {
    store_.write(u"App", u"Main", u"Alarm", value);
    EXPECT_EQ(store_.read(u"app", u"MAIN", u"alarm"), value) << utf8(value.substr(0, 40));
  }
  store_.write(u"App", u"Main", u"Other", u"0");
  store_.erase(u"aPP", u"mAIN", u"aLARM");
  EXPECT_EQ(store_.read(u"App", u"Main", u"Alarm"), std::nullopt);
  EXPECT_EQ(store_.read(u"App", u"Main", u"Other"), u"0");
  store_.erase(u"App", u"Main", u"Alarm");  // already gone, or never there: no error
  store_.erase(u"NoSuchApp", u"Main", u"Alarm");
}

TEST_F(RegistryStoreTest, ValuesLeftInOtherFormsByOtherPrograms) {
  const DWORD one = 1, big = 0xFFFFFFFFu;
  const std::uint64_t wide64 = 5000000000ull;
  const wchar_t noNul[] = {L'2', L'5', L'0'}, expand[] = L"%WINDIR%\\a.wav", multi[] = L"a\0b\0";
  struct Case {
    DWORD type;
    const void* data;
    DWORD bytes;
    std::optional<std::u16string> read;
  } cases[] = {
      {REG_DWORD, &one, sizeof one, u"1"},
      {REG_DWORD, &big, sizeof big, u"4294967295"},
      {REG_QWORD, &wide64, sizeof wide64, u"5000000000"},
      {REG_SZ, noNul, sizeof noNul, u"250"},
      {REG_SZ, "1\0" "2", 3, u"1"},  // a stray half character is dropped
      {REG_SZ, nullptr, 0, u""},
      {REG_EXPAND_SZ, expand, sizeof expand, u"%WINDIR%\\a.wav"},
      {REG_MULTI_SZ, multi, sizeof multi, std::nullopt},
      {REG_BINARY, &one, sizeof one, std::nullopt},
  };
  const auto path = wide(root_ + u"\\App\\Main");
  for (const Case& c : cases) {
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, path.c_str(), L"Key", c.type, c.data, c.bytes), ERROR_SUCCESS);
    EXPECT_EQ(store_.read(u"App", u"Main", u"Key"), c.read) << "type " << c.type << ", " << c.bytes << " bytes";
  }
  store_.write(u"App", u"Main", u"Key", u"0");  // a save replaces a foreign value with text
  EXPECT_EQ(store_.read(u"App", u"Main", u"Key"), u"0");
}

TEST_F(RegistryStoreTest, FailuresRaiseAStoreErrorNamingTheWindowsError) {
  // A lasting key cannot live under a volatile one: the store's own key creation fails.
  KeyHandle volatileKey;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, wide(root_ + u"\\Volatile").c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, volatileKey.out(), nullptr),
            ERROR_SUCCESS);
  RegistryStore store(root_ + u"\\Volatile");
  try {
    store.write(u"App", u"Main", u"Alarm", u"1");
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.number, err::kStore);
    EXPECT_TRUE(contains(e.description, u"Volatile\\App\\Main")) << utf8(e.description);
    EXPECT_TRUE(contains(e.description, u"(" + decimal(ERROR_CHILD_MUST_BE_VOLATILE) + u")")) << utf8(e.description);
  }
  EXPECT_EQ(store.read(u"App", u"Main", u"Alarm"), std::nullopt);
}

}  // namespace
}  // namespace tavo::win32
