// rsrc32.dll lookup on the real loader (under Wine, like on NT, there is none).
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "base/error.h"
#include "platform/win32/system_resources_win32.h"
#include "platform/win32/wide_win32.h"

namespace tavo::win32 {
namespace {

int failureOf(Win32SystemResources& resources, std::int32_t kind) {
  try {
    resources.freeResources(kind);
  } catch (const Error& e) {
    return e.number;
  }
  return 0;
}

TEST(Win32SystemResources, NoLibraryIsFileNotFoundOnEveryCall) {
  Win32SystemResources system;  // the system directory
  EXPECT_EQ(failureOf(system, 0), err::kFileNotFound);
  EXPECT_EQ(failureOf(system, 2), err::kFileNotFound);

  Win32SystemResources nowhere(u"C:\\tavo-no-such-directory");
  EXPECT_EQ(failureOf(nowhere, 1), err::kFileNotFound);
}

TEST(Win32SystemResources, ALibraryWithoutTheEntryPoint) {
  // Any module without the export will do: this test program itself.
  wchar_t self[MAX_PATH];
  ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
  wchar_t temp[MAX_PATH];
  ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
  const std::wstring directory = std::wstring(temp) + L"tavo-rsrc32-test";
  CreateDirectoryW(directory.c_str(), nullptr);
  const std::wstring library = directory + L"\\rsrc32.dll";
  ASSERT_TRUE(CopyFileW(self, library.c_str(), FALSE));
  {
    Win32SystemResources resources(fromWide(directory));
    EXPECT_EQ(failureOf(resources, 0), err::kDllEntryPoint);
    EXPECT_EQ(failureOf(resources, 0), err::kDllEntryPoint);
  }
  DeleteFileW(library.c_str());
  RemoveDirectoryW(directory.c_str());
}

}  // namespace
}  // namespace tavo::win32
