// rsrc32.dll lookup on the real loader (under Wine, like on NT, there is none).
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "base/error.h"
#include "platform/win32/system_resources_win32.h"
#include "platform/win32/wide_win32.h"

namespace tavo::win32 {
namespace {

int failureOf(Win32SystemResources& resources) {
  try {
    resources.freeResources(0);
  } catch (const Error& e) {
    return e.number;
  }
  return 0;
}

TEST(Win32SystemResources, NoLibraryOrNoEntryPointFailsOnEveryCall) {
  Win32SystemResources system, nowhere(u"C:\\tavo-no-such-directory");
  for (Win32SystemResources* r : {&system, &nowhere, &system}) EXPECT_EQ(failureOf(*r), err::kFileNotFound);

  // Any module without the export will do: this test program itself.
  wchar_t self[MAX_PATH], temp[MAX_PATH];
  ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
  ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
  const std::wstring directory = std::wstring(temp) + L"tavo-rsrc32-test", library = directory + L"\\rsrc32.dll";
  CreateDirectoryW(directory.c_str(), nullptr);
  ASSERT_TRUE(CopyFileW(self, library.c_str(), FALSE));
  {
    Win32SystemResources resources(fromWide(directory));
    EXPECT_EQ(failureOf(resources), err::kDllEntryPoint);
    EXPECT_EQ(failureOf(resources), err::kDllEntryPoint);
  }
  EXPECT_TRUE(DeleteFileW(library.c_str())) << "the library is still loaded";
  RemoveDirectoryW(directory.c_str());
}

}  // namespace
}  // namespace tavo::win32
