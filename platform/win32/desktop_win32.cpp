#include "platform/win32/desktop_win32.h"

#include <windows.h>

#include <string>

#include "platform/win32/handle_win32.h"
#include "platform/win32/view_win32.h"
#include "platform/win32/wide_win32.h"

namespace tavo::win32 {

namespace {

HWND toHwnd(WindowHandle w) { return reinterpret_cast<HWND>(w); }

// Titles longer than this are cut; a caption bar never shows that much.
constexpr std::size_t kMaxTitleUnits = std::size_t{1} << 20;
constexpr std::size_t kFirstReadUnits = 256;
constexpr std::size_t kKeptTitleUnits = 4096;

// 254 characters and the terminator. The roster compares class names
// exactly, and the entries that existing settings hold were read through a
// buffer of this size: a longer name (the system allows 256) must be cut
// at the same place to still match them.
constexpr int kClassBufferUnits = 255;

int screenCaps(int index) {
  WindowDc dc = windowDc(nullptr);
  if (!dc) return 96;
  int value = GetDeviceCaps(dc.get(), index);
  return value > 0 ? value : 96;
}

}  // namespace

WindowHandle Win32Desktop::foregroundWindow() { return reinterpret_cast<WindowHandle>(GetForegroundWindow()); }

// GetWindowText and GetWindowTextLength send messages to windows of this
// process, and wait forever when the owning thread is hung. The text the
// caption bar shows is kept by the system, and InternalGetWindowText reads
// it without a message, for any window.
//
// The cycle reads the foreground title twice per tick. Whether the window
// still exists is asked only when nothing was read: for another program's
// window every question is a round trip to the window server (under Wine),
// and a steady tick would otherwise pay for two more per read.
bool Win32Desktop::readWindowTitle(WindowHandle w, std::u16string& title) {
  title.clear();
  HWND h = toHwnd(w);
  if (!h) return false;
  // Straight into the caller's storage, which the next read reuses.
  std::size_t size = kFirstReadUnits;
  for (;;) {
    title.resize(size);
    int n = InternalGetWindowText(h, wideData(title), static_cast<int>(size));
    if (n < 0) n = 0;
    // A full buffer may mean a longer title: try again with more room.
    if (static_cast<std::size_t>(n) + 1 < size || size >= kMaxTitleUnits) {
      title.resize(static_cast<std::size_t>(n));
      // A huge title passed by: its storage is not kept for the short ones.
      if (title.capacity() > kKeptTitleUnits && title.size() < kFirstReadUnits) title.shrink_to_fit();
      // An empty title or no window at all.
      return n != 0 || IsWindow(h);
    }
    size *= 2;
  }
}

// WM_SETTEXT through SendMessageTimeout: a hung or busy program costs at most
// the timeout, and a write that times out is dropped, as one to a vanished
// window. The cycle sees the unchanged title on its next tick and writes again.
void Win32Desktop::setWindowTitle(WindowHandle w, std::u16string_view title) {
  HWND h = toHwnd(w);
  if (!h) return;
  std::wstring text = wide(title);
  DWORD_PTR result = 0;
  SendMessageTimeoutW(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                      SMTO_NORMAL | SMTO_ABORTIFHUNG | SMTO_ERRORONEXIT, writeTimeoutMs_, &result);
}

std::u16string Win32Desktop::className(WindowHandle w) {
  HWND h = toHwnd(w);
  if (!h) return {};
  wchar_t buffer[kClassBufferUnits] = {};
  int n = GetClassNameW(h, buffer, kClassBufferUnits);
  if (n <= 0) return {};
  return fromWide(buffer, static_cast<std::size_t>(n));
}

WindowHandle Win32Desktop::findWindow(std::u16string_view className, std::u16string_view title) {
  std::wstring cls = wide(className), text = wide(title);
  return reinterpret_cast<WindowHandle>(FindWindowW(cls.c_str(), text.c_str()));
}

namespace {

struct MarkSearch {
  std::wstring cls, mark;
  HWND found = nullptr;
};

BOOL CALLBACK matchMarked(HWND h, LPARAM lp) {
  auto& s = *reinterpret_cast<MarkSearch*>(lp);
  wchar_t cls[kClassBufferUnits] = {};
  if (!GetPropW(h, s.mark.c_str()) || GetClassNameW(h, cls, kClassBufferUnits) <= 0 || s.cls != cls) return TRUE;
  s.found = h;
  return FALSE;
}

}  // namespace

WindowHandle Win32Desktop::findMarkedWindow(std::u16string_view className, std::u16string_view mark) {
  MarkSearch search{wide(className), wide(mark)};
  EnumWindows(&matchMarked, reinterpret_cast<LPARAM>(&search));
  return reinterpret_cast<WindowHandle>(search.found);
}

std::optional<Rect> Win32Desktop::windowRect(WindowHandle w) {
  RECT r{};
  if (!w || !GetWindowRect(toHwnd(w), &r)) return std::nullopt;
  return Rect{r.left, r.top, r.right, r.bottom};
}

namespace {

Rect toRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// The DPI of the monitor a window is on. A window that is not aware of DPI
// is stretched by the system to that monitor's DPI, so its own DPI (96)
// would place the overlay at the wrong distance. GetDpiForMonitor lives in
// shcore.dll, which older systems lack.
int monitorDpi(HMONITOR monitor, HWND w) {
  using ForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  static const auto forMonitor = [] {
    HMODULE shcore = LoadLibraryW(L"shcore.dll");  // kept for the program's life
    return shcore ? reinterpret_cast<ForMonitor>(reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
                  : nullptr;
  }();
  UINT x = 0, y = 0;
  if (forMonitor && forMonitor(monitor, 0 /* MDT_EFFECTIVE_DPI */, &x, &y) == S_OK && y > 0)
    return static_cast<int>(y);
  return dpiForWindow(w).y;
}

// A system metric at a DPI; scaled from the program's own where the system
// has no per-DPI metrics.
int metricAt(int index, int dpi) {
  using ForDpi = int(WINAPI*)(int, UINT);
  static const auto forDpi = reinterpret_cast<ForDpi>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetSystemMetricsForDpi")));
  if (forDpi) return forDpi(index, static_cast<UINT>(dpi));
  return MulDiv(GetSystemMetrics(index), dpi, screenCaps(LOGPIXELSY));
}

}  // namespace

// Every call here reads what the window server keeps; none sends the window
// a message, so a hung window costs nothing. While the overlay is shown this
// runs on every tick: the monitor and its metrics are looked up again only
// when the window's rectangle changed.
std::optional<WindowFrame> Win32Desktop::windowFrame(WindowHandle w) {
  HWND h = toHwnd(w);
  WINDOWINFO info{};
  info.cbSize = sizeof info;
  if (!h || !GetWindowInfo(h, &info) || (info.dwStyle & WS_CHILD)) return std::nullopt;
  const Rect window = toRect(info.rcWindow);
  const Rect& last = lastFrame_ ? lastFrame_->window : Rect{};
  if (!lastFrame_ || lastFrameWindow_ != w || last.left != window.left || last.top != window.top ||
      last.right != window.right || last.bottom != window.bottom) {
    HMONITOR monitor = MonitorFromRect(&info.rcWindow, MONITOR_DEFAULTTONEAREST);
    MONITORINFO m{};
    m.cbSize = sizeof m;
    if (!GetMonitorInfoW(monitor, &m)) return std::nullopt;
    WindowFrame f{window, {}, toRect(m.rcMonitor)};
    f.dpi = monitorDpi(monitor, h);
    f.frameWidth = metricAt(SM_CXSIZEFRAME, f.dpi) + metricAt(SM_CXPADDEDBORDER, f.dpi);
    f.captionHeight = metricAt(SM_CYCAPTION, f.dpi);
    lastFrame_ = f;
    lastFrameWindow_ = w;
  }
  WindowFrame f = *lastFrame_;
  f.client = toRect(info.rcClient);
  // A top-level window's own WS_VISIBLE is what IsWindowVisible answers.
  f.visible = (info.dwStyle & WS_VISIBLE) != 0;
  f.minimized = (info.dwStyle & WS_MINIMIZE) != 0;
  f.toolWindow = (info.dwExStyle & WS_EX_TOOLWINDOW) != 0;
  f.hung = IsHungAppWindow(h);
  return f;
}

void Win32Desktop::setWindowPos(WindowHandle w, WindowHandle insertAfter, int x, int y, unsigned flags) {
  if (!w) return;
  SetWindowPos(toHwnd(w), toHwnd(insertAfter), x, y, 0, 0, flags);
}

void Win32Desktop::flashWindow(WindowHandle w) {
  if (w) FlashWindow(toHwnd(w), TRUE);
}

void Win32Desktop::setForegroundWindow(WindowHandle w) {
  if (w) SetForegroundWindow(toHwnd(w));
}

int Win32Desktop::pixelsPerInchX() { return screenCaps(LOGPIXELSX); }
int Win32Desktop::pixelsPerInchY() { return screenCaps(LOGPIXELSY); }

}  // namespace tavo::win32
