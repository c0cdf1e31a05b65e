#pragma once
// Free-resource figures from rsrc32.dll, the library that only Windows 95
// and 98 have.
#include <cstdint>
#include <string>
#include <utility>

#include "platform/ports.h"
#include "platform/win32/handle_win32.h"

namespace tavo::win32 {

class Win32SystemResources : public SystemResources {
 public:
  // `directory`: where the library is looked for; empty means the system
  // directory, the only place the real one is installed.
  explicit Win32SystemResources(std::u16string directory = {}) : directory_(std::move(directory)) {}
  Win32SystemResources(const Win32SystemResources&) = delete;
  Win32SystemResources& operator=(const Win32SystemResources&) = delete;

  // The library is looked up at the first call and the outcome kept: a
  // missing library raises 53 on every call, a library without the entry
  // point 453, one that is there but cannot be loaded 48.
  std::int32_t freeResources(std::int32_t kind) override;

 private:
  using Entry = std::int32_t(__stdcall*)(std::int32_t);
  void bind();

  std::u16string directory_;
  bool bound_ = false;
  int failure_ = 0;  // error number of the lookup, 0 when bound
  ModuleHandle library_;
  Entry entry_ = nullptr;
};

}  // namespace tavo::win32
