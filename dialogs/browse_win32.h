#pragma once
// The system's file-open dialog for the chime and "Call Me" files.
#include "dialogs/browse.h"

namespace tavo::win32 {

class Win32FileOpenDialog : public FileOpenDialog {
 public:
  // Paths as long as the system allows, not just the 255 characters of old.
  static constexpr std::size_t kBufferChars = 32768;

  std::optional<std::u16string> choose(const BrowseRequest& request, std::u16string_view initialFile) override;
};

}  // namespace tavo::win32
