#include "dialogs/browse_win32.h"

#include <windows.h>
#include <cderr.h>
#include <commdlg.h>

#include <algorithm>
#include <string>

#include "base/error.h"
#include "base/text.h"
#include "platform/win32/wide_win32.h"

namespace tavo::win32 {

std::optional<std::u16string> Win32FileOpenDialog::choose(const BrowseRequest& request,
                                                          std::u16string_view initialFile) {
  const std::wstring filter = wide(request.filter);
  const std::wstring title = wide(request.title);
  std::wstring file(kBufferChars, L'\0');
  // A starting file the dialog cannot take (too long, or a name it refuses)
  // must not keep the user from choosing: the second try starts empty.
  for (int attempt = 0; attempt < 2; ++attempt) {
    std::fill(file.begin(), file.end(), L'\0');
    if (attempt == 0 && initialFile.size() < file.size())
      std::copy(initialFile.begin(), initialFile.end(), file.begin());
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = reinterpret_cast<HWND>(request.ownerWindow);
    ofn.hInstance = reinterpret_cast<HINSTANCE>(request.instance);
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size() - 1);
    ofn.lpstrTitle = title.c_str();
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    if (GetOpenFileNameW(&ofn)) return fromWide(file.c_str(), wcslen(file.c_str()));
    const DWORD failure = CommDlgExtendedError();
    if (failure == 0) return std::nullopt;  // the user cancelled
    const bool refusedStart = failure == FNERR_INVALIDFILENAME || failure == FNERR_BUFFERTOOSMALL;
    if (attempt == 0 && !initialFile.empty() && refusedStart) continue;
    raise(err::kInvalidArgument,
          u"ファイルを開くダイアログを表示できません (CommDlgExtendedError " + decimal(failure) + u")");
  }
  return std::nullopt;
}

}  // namespace tavo::win32
