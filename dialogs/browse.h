#pragma once
// Choosing the chime or "Call Me" file: the platform's file-open dialog behind
// a small interface, and the rules around it (starting file, quoting).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/report.h"
#include "platform/ports.h"

namespace tavo {

struct BrowseRequest {
  WindowHandle ownerWindow = 0;
  std::uintptr_t instance = 0;
  // Description/pattern pairs, each ended by a NUL; the list ends with a second NUL.
  std::u16string filter;
  // In: the stored value of the setting; out: the chosen path.
  std::u16string path;
  std::u16string title;
};

class FileOpenDialog {
 public:
  virtual ~FileOpenDialog() = default;
  // Shows the dialog with `initialFile` filled in (the request's path is not
  // used). The chosen path, or nullopt when the user cancelled. Throws Error
  // when the dialog cannot be shown.
  virtual std::optional<std::u16string> choose(const BrowseRequest& request, std::u16string_view initialFile) = 0;
};

inline constexpr std::u16string_view kBrowseLocation = u"mdlTavo!GetBrowsePath";

// Nonzero when the user chose a file: request.path then holds it, enclosed in
// double quotes when it contains a blank so that it reads back whole as a
// command line. On zero the path is left trimmed.
std::int32_t GetBrowsePath(BrowseRequest& request, FileOpenDialog& dialog, Reporter& reporter);

}  // namespace tavo
