#include "platform/win32/overlay_win32.h"

#include "platform/win32/wide_win32.h"

namespace tavo::win32 {

namespace {

constexpr BYTE kAlpha = 200;
constexpr COLORREF kBackground = RGB(32, 32, 32), kInk = RGB(240, 240, 240);
constexpr int kPadding = 6;  // on each side of the text, at 96 DPI

// The system caption font at a DPI; scaled from the program's own where the
// system has no per-DPI parameters.
LOGFONTW captionFont(int dpi) {
  using ForDpi = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
  static const auto forDpi = reinterpret_cast<ForDpi>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SystemParametersInfoForDpi")));
  NONCLIENTMETRICSW m{};
  m.cbSize = sizeof m;
  if (forDpi && forDpi(SPI_GETNONCLIENTMETRICS, sizeof m, &m, 0, static_cast<UINT>(dpi))) return m.lfCaptionFont;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof m, &m, 0)) return LOGFONTW{};
  int own = 96;
  if (WindowDc dc = windowDc(nullptr)) own = GetDeviceCaps(dc.get(), LOGPIXELSY);
  m.lfCaptionFont.lfHeight = MulDiv(m.lfCaptionFont.lfHeight, dpi, own > 0 ? own : 96);
  return m.lfCaptionFont;
}

}  // namespace

OverlayWindow::~OverlayWindow() {
  if (window_) DestroyWindow(window_);
}

bool OverlayWindow::create() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.lpszClassName = kClassName;
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  // A window made again (the last one went with its owner) starts blank.
  text_.clear();
  placed_ = {};
  owner_ = nullptr;
  // Click-through, never active, no taskbar button.
  window_ = CreateWindowExW(WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, kClassName, L"",
                            WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, this);
  if (!window_) return false;
  SetLayeredWindowAttributes(window_, 0, kAlpha, LWA_ALPHA);
  return true;
}

void OverlayWindow::useFont(int dpi) {
  if (font_ && dpi == fontDpi_) return;
  LOGFONTW lf = captionFont(dpi);
  FontHandle font(CreateFontIndirectW(&lf));
  if (!font) return;
  font_ = std::move(font);
  fontDpi_ = dpi;
}

int OverlayWindow::textWidth() const {
  SIZE size{};
  if (WindowDc dc = windowDc(window_)) {
    HGDIOBJ old = SelectObject(dc.get(), font_ ? font_.get() : GetStockObject(DEFAULT_GUI_FONT));
    GetTextExtentPoint32W(dc.get(), text_.c_str(), static_cast<int>(text_.size()), &size);
    SelectObject(dc.get(), old);
  }
  return size.cx;
}

// The decorated window belongs to another program and may hang: nothing here
// waits for it. Owning the overlay keeps it just above that window and hides
// it with it; the owner's thread and ours then share input state, which
// costs Tavo nothing, as nothing here waits for input. Only our own window
// is moved (SWP_NOOWNERZORDER leaves the owner's place alone), and not
// synchronously.
void OverlayWindow::show(WindowHandle owner, int right, int top, int height, int dpi, std::u16string_view text) {
  if (!window_ && !create()) return;
  const bool newFont = fontDpi_ != dpi;
  useFont(dpi);
  std::wstring wanted = wide(text);
  const bool newText = wanted != text_;
  if (newText) {
    text_ = std::move(wanted);
    SetWindowTextW(window_, text_.c_str());  // for screen readers and tests
  }
  HWND h = reinterpret_cast<HWND>(owner);
  if (h != owner_) {
    SetWindowLongPtrW(window_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(h));
    owner_ = h;
  }
  const int width = textWidth() + 2 * MulDiv(kPadding, dpi, 96);
  const RECT place{right - width, top, right, top + height};
  UINT flags = SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_ASYNCWINDOWPOS | SWP_SHOWWINDOW;
  if (EqualRect(&place, &placed_) && IsWindowVisible(window_)) flags |= SWP_NOMOVE | SWP_NOSIZE;
  placed_ = place;
  SetWindowPos(window_, HWND_TOP, place.left, place.top, width, height, flags);
  if (newText || newFont) InvalidateRect(window_, nullptr, TRUE);
}

// The owner is let go as well: a hidden overlay ties Tavo to no window.
void OverlayWindow::hide() {
  if (!window_) return;
  ShowWindow(window_, SW_HIDE);
  SetWindowLongPtrW(window_, GWLP_HWNDPARENT, 0);
  owner_ = nullptr;
}

LRESULT CALLBACK OverlayWindow::proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE)
    SetWindowLongPtrW(w, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
  auto* self = reinterpret_cast<OverlayWindow*>(GetWindowLongPtrW(w, GWLP_USERDATA));
  switch (msg) {
    case WM_NCHITTEST: return HTTRANSPARENT;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_DPICHANGED: return 0;  // show() places it at the decorated window's DPI
    case WM_ERASEBKGND: return 1;  // WM_PAINT fills it all
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(w, &ps);
      RECT r;
      GetClientRect(w, &r);
      HBRUSH back = CreateSolidBrush(kBackground);
      FillRect(dc, &r, back);
      DeleteObject(back);
      if (self) {
        HGDIOBJ old = SelectObject(dc, self->font_ ? self->font_.get() : GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, kInk);
        DrawTextW(dc, self->text_.c_str(), static_cast<int>(self->text_.size()), &r,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(dc, old);
      }
      EndPaint(w, &ps);
      return 0;
    }
    case WM_NCDESTROY:  // taken down with its owner: the next show makes a new one
      if (self) self->window_ = nullptr;
      break;
  }
  return DefWindowProcW(w, msg, wp, lp);
}

}  // namespace tavo::win32
