#include "dialogs/dialogs_win32.h"

#include <algorithm>

namespace tavo::win32 {

void centreOnWorkArea(HWND window) {
  RECT r{};
  if (!GetWindowRect(window, &r)) return;
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &info)) return;
  const RECT& area = info.rcWork;
  const long left = area.left + ((area.right - area.left) - (r.right - r.left)) / 2;
  const long top = area.top + ((area.bottom - area.top) - (r.bottom - r.top)) / 2;
  // A window larger than the work area keeps its title bar on the screen.
  SetWindowPos(window, nullptr, std::max(left, area.left), std::max(top, area.top), 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace tavo::win32
