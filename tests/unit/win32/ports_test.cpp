// The Win32 ports against real windows, the registry and the loader (under
// Wine by ctest).
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/error.h"
#include "base/text.h"
#include "platform/win32/desktop_win32.h"
#include "platform/win32/handle_win32.h"
#include "platform/win32/ledger_win32.h"
#include "platform/win32/overlay_win32.h"
#include "platform/win32/ports_win32.h"
#include "platform/win32/registry_store_win32.h"
#include "platform/win32/system_resources_win32.h"
#include "platform/win32/wide_win32.h"

namespace tavo::win32 {
namespace {

using namespace std::string_literals;

WindowHandle handle(HWND w) { return reinterpret_cast<WindowHandle>(w); }

// Short, empty and very long titles, lone surrogates, class names and the
// second-start search the e2e scenarios see in Tavo.exe; here the edges.
TEST(Win32Desktop, TitlesPastTheFirstBufferLongestClassVanishedWindowsReadAsNothing) {
  Win32Desktop desktop;
  const std::wstring longest(254, L'c');
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = longest.c_str();
  wc.hInstance = GetModuleHandleW(nullptr);
  RegisterClassW(&wc);
  HWND window = CreateWindowExW(0, longest.c_str(), L"", WS_OVERLAPPEDWINDOW, 10, 10, 300, 200, nullptr, nullptr,
                                wc.hInstance, nullptr);
  ASSERT_TRUE(window) << "no window: under Wine the tests need an X display (DISPLAY)";
  const WindowHandle w = handle(window);
  std::u16string into;  // one storage for every read, as the cycle keeps it
  // The first buffer full, then past it, then back to short.
  for (const std::u16string& title : {std::u16string(255, u'x'), std::u16string(5000, u'あ'), u"short after"s}) {
    desktop.setWindowTitle(w, title);
    ASSERT_TRUE(desktop.readWindowTitle(w, into));
    EXPECT_EQ(into, title) << "length " << title.size();
  }
  EXPECT_EQ(desktop.className(w), fromWide(longest));
  DestroyWindow(window);
  for (WindowHandle gone : {w, WindowHandle{0}}) {
    into = u"stale";
    EXPECT_FALSE(desktop.readWindowTitle(gone, into));
    EXPECT_EQ(into + desktop.className(gone), u"");
    EXPECT_FALSE(desktop.windowRect(gone).has_value());
  }
}

// A bare window's frame, and the overlay on it: placed as asked, owned by it,
// never active, and tied to no window once hidden (its text and its place on
// Tavo's own decision: test_overlay.py).
TEST(Win32Overlay, OnABareWindowOwnedNeverActiveAndReleasedWhenHidden) {
  HWND bare = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 50, 60, 400, 200, nullptr, nullptr, nullptr,
                              nullptr);
  ASSERT_TRUE(bare);
  const auto frame = Win32Desktop().windowFrame(handle(bare));
  ASSERT_TRUE(frame);
  EXPECT_EQ(std::vector({frame->window.top, frame->client.top, frame->window.right}), std::vector({60L, 60L, 450L}));
  OverlayWindow overlay;
  RECT r{};
  overlay.show(handle(bare), 306, 60, 30, 96, u"12:34,Dec,8");
  HWND o = overlay.hwnd();
  ASSERT_TRUE(o && GetWindowRect(o, &r));
  EXPECT_EQ(std::vector({r.right, r.top, r.bottom}), std::vector({306L, 60L, 90L}));
  EXPECT_TRUE(GetWindow(o, GW_OWNER) == bare && GetForegroundWindow() != o);
  overlay.hide();
  EXPECT_TRUE(IsWindow(o) && !IsWindowVisible(o) && !GetWindow(o, GW_OWNER));
  DestroyWindow(bare);
}

Error failure(auto&& call) {
  try {
    call();
  } catch (const Error& e) {
    return e;
  }
  return {};
}

TEST(Win32SystemResources, NoLibraryOrNoEntryPointFailsOnEveryCall) {
  const auto freeing = [](Win32SystemResources& r) { return failure([&] { r.freeResources(0); }).number; };
  Win32SystemResources system, nowhere(u"C:\\tavo-no-such-directory");
  for (Win32SystemResources* r : {&system, &nowhere, &system}) EXPECT_EQ(freeing(*r), err::kFileNotFound);
  // Any module without the export will do: this test program itself.
  wchar_t self[MAX_PATH], temp[MAX_PATH];
  ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
  ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
  const std::wstring directory = std::wstring(temp) + L"tavo-rsrc32-test", library = directory + L"\\rsrc32.dll";
  CreateDirectoryW(directory.c_str(), nullptr);
  ASSERT_TRUE(CopyFileW(self, library.c_str(), FALSE));
  {
    Win32SystemResources resources(fromWide(directory));
    for (int call = 0; call < 2; ++call) EXPECT_EQ(freeing(resources), err::kDllEntryPoint);
  }
  EXPECT_TRUE(DeleteFileW(library.c_str())) << "the library is still loaded";
  RemoveDirectoryW(directory.c_str());
}

// A scratch branch per process, removed before and after each test.
class RegistryStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, wide(root_).c_str()); }
  void TearDown() override { SetUp(); }

  const std::u16string root_ = u"Software\\Tavo unit tests\\" + decimal(GetCurrentProcessId());
  RegistryStore store_{root_};
};

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

// A lasting key cannot live under a volatile one: the store's own key creation fails.
TEST_F(RegistryStoreTest, FailuresRaiseAStoreErrorNamingTheWindowsError) {
  KeyHandle volatileKey;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, wide(root_ + u"\\Volatile").c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, volatileKey.out(), nullptr),
            ERROR_SUCCESS);
  RegistryStore store(root_ + u"\\Volatile");
  const Error e = failure([&] { store.write(u"App", u"Main", u"Alarm", u"1"); });
  EXPECT_EQ(e.number, err::kStore);
  EXPECT_TRUE(contains(e.description, u"Volatile\\App\\Main")) << utf8(e.description);
  EXPECT_TRUE(contains(e.description, u"(" + decimal(ERROR_CHILD_MUST_BE_VOLATILE) + u")")) << utf8(e.description);
  EXPECT_EQ(store.read(u"App", u"Main", u"Alarm"), std::nullopt);
}

// Records die with the sign-in session (a volatile key); an installer's lasting values can sit beside them.
TEST_F(RegistryStoreTest, LedgerRecordsRoundTripInAVolatileKeyUnderALastingParent) {
  VolatileLedger ledger(root_ + u"\\Owed");
  using Records = std::vector<std::pair<WindowHandle, std::u16string>>;
  ledger.drop(7);  // no key yet
  const std::u16string unicode = u"12:00 = Ünïcödé 🎉 𠮷";
  for (const auto& [w, text] : Records{{UINTPTR_MAX, unicode}, {7, u"first"}, {7, u"x"}, {9, u"gone"}})
    ledger.put(w, text);
  ledger.drop(9);
  auto records = ledger.records();
  std::sort(records.begin(), records.end());
  EXPECT_EQ(records, (Records{{7, u"x"}, {UINTPTR_MAX, unicode}}));
  KeyHandle lasting;
  for (auto [below, status] : {std::pair{u"\\Owed\\Lasting", ERROR_CHILD_MUST_BE_VOLATILE}, {u"\\Lasting", 0L}})
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, wide(root_ + below).c_str(), 0, nullptr,
                              REG_OPTION_NON_VOLATILE, KEY_READ, nullptr, lasting.out(), nullptr), status)
        << utf8(below);
}

}  // namespace
}  // namespace tavo::win32
