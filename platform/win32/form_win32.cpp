// The form core: its window class, the window procedure that ties a Form to
// its window from WM_NCCREATE to WM_NCDESTROY, and the dispatch of messages.
#include "platform/win32/view_win32.h"

#include <commctrl.h>

#include "platform/win32/wide_win32.h"

namespace tavo::win32 {

namespace {

// The forms by window, from WM_NCCREATE to WM_NCDESTROY. Every message of a
// form looks its window up here (the polling timer's many times a second); a
// window property would be a round trip to the window server per look under
// Wine. Forms live on the one user-interface thread only.
struct FormWindow {
  HWND window;
  Form* form;
};
std::vector<FormWindow> formWindows;

Form* formOf(HWND w) {
  for (const FormWindow& f : formWindows)
    if (f.window == w) return f.form;
  return nullptr;
}

void forgetForm(HWND w) {
  std::erase_if(formWindows, [w](const FormWindow& f) { return f.window == w; });
}

int shiftState() {
  int s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= 1;
  if (GetKeyState(VK_CONTROL) < 0) s |= 2;
  if (GetKeyState(VK_MENU) < 0) s |= 4;
  return s;
}

bool registerClass(HINSTANCE instance, const FormSpec& spec, WNDPROC proc) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExW(instance, spec.className, &wc)) return true;
  wc = WNDCLASSEXW{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  wc.hIcon = static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(spec.iconId), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
  if (!wc.hIcon) wc.hIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));  // IDI_APPLICATION
  wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(spec.iconId), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                             LR_SHARED));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = spec.className;
  return RegisterClassExW(&wc) != 0;
}

}  // namespace

Form::~Form() {
  // The subclass is gone already: the window's last messages go to the
  // default procedure, not to what is left of this object.
  if (window_) {
    forgetForm(window_);
    DestroyWindow(window_);
  }
}

bool Form::create(HINSTANCE instance, const FormSpec& spec, HWND owner) {
  if (window_ || !spec.className) return false;
  static bool commonControls = [] {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES};
    return InitCommonControlsEx(&icc) != FALSE;
  }();
  (void)commonControls;
  if (!registerClass(instance, spec, &Form::proc)) return false;

  specs_.assign(spec.controls.begin(), spec.controls.end());
  captions_.clear();
  for (const ControlSpec& c : spec.controls) captions_.emplace_back(c.caption);
  for (ControlSpec& c : specs_) c.caption = {};  // the copies above hold the text
  fontSpec_ = spec.font;
  fontFace_ = std::u16string(spec.font.face);
  fontSpec_.face = fontFace_;
  clientWidthTwips_ = spec.clientWidthTwips;
  clientHeightTwips_ = spec.clientHeightTwips;

  std::wstring title = wide(spec.caption);
  // Created hidden and empty: the DPI is known only once the window exists.
  CreateWindowExW(spec.exStyle, spec.className, title.c_str(), spec.style & ~WS_VISIBLE, CW_USEDEFAULT,
                  CW_USEDEFAULT, 0, 0, owner, nullptr, instance, this);
  if (!window_) return false;  // set at WM_NCCREATE
  dpi_ = dpiForWindow(window_);
  createControls(instance);
  makeFonts();
  layout();
  return true;
}

void Form::destroy() {
  if (window_) DestroyWindow(window_);  // WM_NCDESTROY clears window_
  window_ = nullptr;
}

bool Form::preTranslate(MSG& msg) {
  if (!msg.hwnd) return false;
  HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  Form* form = root ? formOf(root) : nullptr;
  if (!form) return false;
  if ((msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) &&
      form->onKeyDown(static_cast<unsigned>(msg.wParam), shiftState()))
    return true;
  // The key handler may have closed the form.
  if (!IsWindow(root)) return true;
  return IsDialogMessageW(root, &msg) != FALSE;
}

LRESULT CALLBACK Form::proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_NCCREATE) {
    auto* self = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    forgetForm(w);  // a handle the system gives out again
    formWindows.push_back({w, self});
    self->window_ = w;
  }
  Form* self = formOf(w);
  if (!self) return DefWindowProcW(w, m, wp, lp);
  if (m == WM_NCDESTROY) {
    forgetForm(w);
    self->window_ = nullptr;
    self->controls_.assign(self->controls_.size(), nullptr);
    self->lastFocus_ = nullptr;
    if (self->modal_) self->modalDone_ = true;
    return DefWindowProcW(w, m, wp, lp);
  }
  return self->handle(m, wp, lp);
}

LRESULT Form::handle(UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_SIZE && wp != SIZE_MINIMIZED && resizePending_) {
    resizePending_ = false;
    layout();
  }
  if (std::optional<LRESULT> r = onMessage(m, wp, lp)) return *r;
  switch (m) {
    case DM_GETDEFID: {
      int id = idWithFlag(cf::kDefault);
      return id ? MAKELRESULT(id, DC_HASDEFID) : 0;
    }
    case WM_COMMAND: {
      int id = LOWORD(wp), code = HIWORD(wp);
      // Esc: the dialog manager sends IDCANCEL without a control.
      if (id == IDCANCEL && lp == 0 && indexOf(IDCANCEL) < 0) {
        if (int cancel = idWithFlag(cf::kCancel)) clickFromKeyboard(cancel);
        return 0;
      }
      if (id == IDOK && lp == 0 && indexOf(IDOK) < 0) {
        if (int def = idWithFlag(cf::kDefault)) clickFromKeyboard(def);
        return 0;
      }
      int i = indexOf(id);
      if (i >= 0 && code == BN_CLICKED && specs_[static_cast<std::size_t>(i)].kind == ControlKind::Option)
        updateGroupTabStop(static_cast<std::size_t>(i));
      if (i >= 0) onCommand(id, code);
      return 0;
    }
    case WM_CLOSE:
      if (modal_) {
        if (int cancel = idWithFlag(cf::kCancel)) clickFromKeyboard(cancel);
        else endModal(IDCANCEL);
        return 0;
      }
      break;
    case WM_ACTIVATE:
      // As a dialog does: the focus leaves with the window and comes back to
      // the same control, or to the first tab stop.
      if (LOWORD(wp) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(window_, focus)) lastFocus_ = focus;
      } else if (!HIWORD(wp)) {
        HWND target = lastFocus_ && IsChild(window_, lastFocus_) && IsWindowEnabled(lastFocus_) &&
                              IsWindowVisible(lastFocus_)
                          ? lastFocus_
                          : GetNextDlgTabItem(window_, nullptr, FALSE);
        if (target) {
          SetFocus(target);
          return 0;
        }
      }
      break;
    case WM_DPICHANGED: {
      dpi_ = {LOWORD(wp), HIWORD(wp)};
      makeFonts();
      layout();
      // The suggested rectangle keeps the window where the system wants it.
      const RECT* r = reinterpret_cast<const RECT*>(lp);
      if (r) SetWindowPos(window_, nullptr, r->left, r->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      onDpiChanged();
      return 0;
    }
  }
  return DefWindowProcW(window_, m, wp, lp);
}

void Form::clickFromKeyboard(int id) {
  int i = indexOf(id);
  if (i < 0) return;
  HWND c = controls_[static_cast<std::size_t>(i)];
  if (c && IsWindowEnabled(c) && IsWindowVisible(c)) onCommand(id, BN_CLICKED);
}

void dispatchFormMessage(MSG& msg) {
  // Timer ticks (the polling timer's, up to twenty a second) are no keys:
  // the dialog manager and the key translation would only pass them on.
  if (msg.message != WM_TIMER) {
    if (Form::preTranslate(msg)) return;
    TranslateMessage(&msg);
  }
  DispatchMessageW(&msg);
}

}  // namespace tavo::win32
