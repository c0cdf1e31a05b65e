// The registry store against the real registry (run under Wine by ctest).
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "base/error.h"
#include "base/text.h"
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

  // Writes a value as another program would, bypassing the store.
  void putRaw(std::u16string_view key, DWORD type, const void* data, DWORD bytes) {
    const auto path = wide(root_ + u"\\App\\Main");
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, path.c_str(), wide(key).c_str(), type, data, bytes), ERROR_SUCCESS);
  }

  const std::u16string root_ = u"Software\\Tavo unit tests\\" + decimal(GetCurrentProcessId());
  RegistryStore store_{root_};
};

int errorOf(const std::function<void()>& action, std::u16string* description = nullptr) {
  try {
    action();
  } catch (const Error& e) {
    if (description) *description = e.description;
    return e.number;
  }
  return 0;
}

TEST_F(RegistryStoreTest, WritesReadsBackOverwritesAndErases) {
  EXPECT_EQ(store_.read(u"App", u"Main", u"Alarm"), std::nullopt);  // no branch at all yet
  store_.write(u"App", u"Main", u"Alarm", u"1");
  EXPECT_EQ(store_.read(u"App", u"Main", u"Alarm"), u"1");
  EXPECT_EQ(store_.read(u"App", u"Main", u"Other"), std::nullopt);
  EXPECT_EQ(store_.read(u"App", u"Plug in", u"Alarm"), std::nullopt);
  store_.write(u"App", u"Main", u"Alarm", u"0");
  EXPECT_EQ(store_.read(u"App", u"Main", u"Alarm"), u"0");
  store_.write(u"App", u"Main", u"Empty", u"");
  EXPECT_EQ(store_.read(u"App", u"Main", u"Empty"), u"");

  store_.erase(u"App", u"Main", u"Alarm");
  EXPECT_EQ(store_.read(u"App", u"Main", u"Alarm"), std::nullopt);
  EXPECT_EQ(errorOf([&] { store_.erase(u"App", u"Main", u"Alarm"); }), 0);
  EXPECT_EQ(errorOf([&] { store_.erase(u"NoSuchApp", u"Main", u"Alarm"); }), 0);
  EXPECT_EQ(store_.read(u"App", u"Main", u"Empty"), u"");  // erase touches one value only

  // Names are case-insensitive.
  store_.write(u"app", u"MAIN", u"empty", u"Edit");
  EXPECT_EQ(store_.read(u"APP", u"main", u"EMPTY"), u"Edit");
  store_.erase(u"aPP", u"mAIN", u"eMPTY");
  EXPECT_EQ(store_.read(u"App", u"Main", u"Empty"), std::nullopt);
}

TEST_F(RegistryStoreTest, LongAndUnicodeValuesRoundTrip) {
  const std::u16string values[] = {
      std::u16string(100000, u'w'),
      u"時間だよ(^^)",
      u"\"C:\\Program Files\\音\\chime.wav\" /w",
      u"\U0001F319 moon",
      u"a\0b"s,        // embedded NUL
      u"trailing\0"s,  // a NUL of its own at the end
  };
  for (const auto& value : values) {
    store_.write(u"App", u"Main", u"Value", value);
    EXPECT_EQ(store_.read(u"App", u"Main", u"Value"), value) << utf8(value.substr(0, 40));
  }
  store_.write(u"アプリ", u"節", u"鍵", u"値");
  EXPECT_EQ(store_.read(u"アプリ", u"節", u"鍵"), u"値");
}

TEST_F(RegistryStoreTest, ValuesLeftInOtherFormsByOtherPrograms) {
  const DWORD one = 1, big = 0xFFFFFFFFu;
  const std::uint64_t wide64 = 5000000000ull;
  const wchar_t noNul[] = {L'2', L'5', L'0'};
  const wchar_t expand[] = L"%WINDIR%\\media\\chimes.wav";
  const wchar_t multi[] = L"a\0b\0";
  const BYTE binary[] = {1, 0, 0, 0};
  putRaw(u"Dword", REG_DWORD, &one, sizeof one);
  putRaw(u"BigDword", REG_DWORD, &big, sizeof big);
  putRaw(u"Qword", REG_QWORD, &wide64, sizeof wide64);
  putRaw(u"NoNul", REG_SZ, noNul, sizeof noNul);
  putRaw(u"Odd", REG_SZ, "1\0" "2", 3);  // a stray half character is dropped
  putRaw(u"Expand", REG_EXPAND_SZ, expand, sizeof expand);
  putRaw(u"Multi", REG_MULTI_SZ, multi, sizeof multi);
  putRaw(u"Binary", REG_BINARY, binary, sizeof binary);
  putRaw(u"ZeroBytes", REG_SZ, nullptr, 0);

  EXPECT_EQ(store_.read(u"App", u"Main", u"Dword"), u"1");
  EXPECT_EQ(store_.read(u"App", u"Main", u"BigDword"), u"4294967295");
  EXPECT_EQ(store_.read(u"App", u"Main", u"Qword"), u"5000000000");
  EXPECT_EQ(store_.read(u"App", u"Main", u"NoNul"), u"250");
  EXPECT_EQ(store_.read(u"App", u"Main", u"Odd"), u"1");
  EXPECT_EQ(store_.read(u"App", u"Main", u"Expand"), u"%WINDIR%\\media\\chimes.wav");
  EXPECT_EQ(store_.read(u"App", u"Main", u"Multi"), std::nullopt);
  EXPECT_EQ(store_.read(u"App", u"Main", u"Binary"), std::nullopt);
  EXPECT_EQ(store_.read(u"App", u"Main", u"ZeroBytes"), u"");

  // A save replaces a foreign value with text.
  store_.write(u"App", u"Main", u"Binary", u"0");
  EXPECT_EQ(store_.read(u"App", u"Main", u"Binary"), u"0");
}

TEST_F(RegistryStoreTest, FailuresRaiseAStoreErrorNamingTheWindowsError) {
  // A lasting key cannot live under a volatile one: the store's own key creation fails.
  HKEY volatileKey = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, wide(root_ + u"\\Volatile").c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &volatileKey, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(volatileKey);
  RegistryStore store(root_ + u"\\Volatile");
  std::u16string description;
  EXPECT_EQ(errorOf([&] { store.write(u"App", u"Main", u"Alarm", u"1"); }, &description), err::kStore);
  EXPECT_TRUE(contains(description, u"Volatile\\App\\Main")) << utf8(description);
  EXPECT_TRUE(contains(description, u"(" + decimal(ERROR_CHILD_MUST_BE_VOLATILE) + u")")) << utf8(description);
  EXPECT_EQ(store.read(u"App", u"Main", u"Alarm"), std::nullopt);
}

}  // namespace
}  // namespace tavo::win32
