#include "platform/win32/system_resources_win32.h"

#include <windows.h>

#include "base/error.h"
#include "platform/win32/wide_win32.h"

namespace tavo::win32 {

void Win32SystemResources::bind() {
  bound_ = true;
  // A full path: a bare name would also search the program's and the current
  // directory, where any file called rsrc32.dll would be loaded and run.
  std::wstring path;
  if (directory_.empty()) {
    wchar_t system[MAX_PATH];
    const UINT n = GetSystemDirectoryW(system, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) {
      failure_ = err::kFileNotFound;
      return;
    }
    path.assign(system, n);
  } else {
    path = wide(directory_);
  }
  if (!path.empty() && path.back() != L'\\') path += L'\\';
  path += L"rsrc32.dll";

  ModuleHandle library(LoadLibraryW(path.c_str()));
  if (!library) {
    const DWORD why = GetLastError();
    const bool missing = why == ERROR_MOD_NOT_FOUND || why == ERROR_FILE_NOT_FOUND || why == ERROR_PATH_NOT_FOUND;
    failure_ = missing ? err::kFileNotFound : err::kDllLoad;
    return;
  }
  FARPROC entry = GetProcAddress(library.get(), "_MyGetFreeSystemResources32@4");
  if (entry == nullptr) {
    failure_ = err::kDllEntryPoint;
    return;
  }
  library_ = std::move(library);
  entry_ = reinterpret_cast<Entry>(reinterpret_cast<void*>(entry));
}

std::int32_t Win32SystemResources::freeResources(std::int32_t kind) {
  if (!bound_) bind();
  if (failure_ != 0) raise(failure_);
  return entry_(kind);
}

}  // namespace tavo::win32
