#include "platform/win32/view_win32.h"

#include <commctrl.h>
#include <imm.h>

#include <cmath>

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

// Functions of newer systems, looked up so the program still starts on old ones.
template <class F>
F user32Function(const char* name) {
  HMODULE user = GetModuleHandleW(L"user32.dll");
  return user ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(user, name))) : nullptr;
}

int shiftState() {
  int s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= 1;
  if (GetKeyState(VK_CONTROL) < 0) s |= 2;
  if (GetKeyState(VK_MENU) < 0) s |= 4;
  return s;
}

struct ClassAndStyle {
  const wchar_t* cls;
  DWORD style;
  DWORD exStyle;
};

ClassAndStyle classFor(const ControlSpec& c) {
  switch (c.kind) {
    case ControlKind::Frame:
      return {L"BUTTON", BS_GROUPBOX, 0};
    case ControlKind::Option:
      return {L"BUTTON", BS_AUTORADIOBUTTON, 0};
    case ControlKind::Check:
      return {L"BUTTON", BS_AUTOCHECKBOX, 0};
    case ControlKind::Button:
      return {L"BUTTON", static_cast<DWORD>((c.flags & cf::kDefault) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), 0};
    case ControlKind::Label:
      return {L"STATIC", SS_LEFT, 0};
    case ControlKind::Text:
      return {L"EDIT", static_cast<DWORD>(ES_AUTOHSCROLL | ((c.flags & cf::kNumberOnly) ? ES_NUMBER : 0)),
              WS_EX_CLIENTEDGE};
    case ControlKind::List:
      return {L"LISTBOX", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL, WS_EX_CLIENTEDGE};
  }
  return {L"STATIC", 0, 0};
}

}  // namespace

Dpi dpiForWindow(HWND w) {
  using ForWindow = UINT(WINAPI*)(HWND);
  static const auto forWindow = user32Function<ForWindow>("GetDpiForWindow");
  if (w && forWindow) {
    UINT d = forWindow(w);
    if (d) return {static_cast<int>(d), static_cast<int>(d)};
  }
  Dpi dpi;
  if (HDC dc = GetDC(nullptr)) {
    int x = GetDeviceCaps(dc, LOGPIXELSX), y = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    if (x > 0) dpi.x = x;
    if (y > 0) dpi.y = y;
  }
  return dpi;
}

int fontHeightPixels(double points, int dpiY) { return -static_cast<int>(std::lround(points * dpiY / 72.0)); }

RECT controlRectTwips(std::span<const ControlSpec> controls, std::size_t index) {
  const ControlSpec& c = controls[index];
  RECT r{c.left, c.top, c.left + c.width, c.top + c.height};
  // Frames may sit in frames; a broken parent index (not earlier in the
  // table) ends the walk rather than looping.
  std::size_t at = index;
  for (int p = c.parent; p >= 0 && static_cast<std::size_t>(p) < at; p = controls[p].parent) {
    at = static_cast<std::size_t>(p);
    OffsetRect(&r, controls[at].left, controls[at].top);
  }
  return r;
}

bool startsGroup(std::span<const ControlSpec> controls, std::size_t index) {
  const ControlSpec& c = controls[index];
  if (index == 0 || (c.flags & cf::kGroup) || c.kind == ControlKind::Frame) return true;
  const ControlSpec& prev = controls[index - 1];
  if (prev.kind == ControlKind::Frame || prev.parent != c.parent) return true;
  // Auto option buttons clear every option of their group: a run of options
  // must be a group of its own.
  return (prev.kind == ControlKind::Option) != (c.kind == ControlKind::Option);
}

SIZE windowSizeForClient(int clientWidthPx, int clientHeightPx, DWORD style, DWORD exStyle, int dpi) {
  using AdjustForDpi = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
  static const auto adjustForDpi = user32Function<AdjustForDpi>("AdjustWindowRectExForDpi");
  RECT r{0, 0, clientWidthPx, clientHeightPx};
  if (!adjustForDpi || !adjustForDpi(&r, style, FALSE, exStyle, static_cast<UINT>(dpi)))
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
  return {r.right - r.left, r.bottom - r.top};
}

// ---- Form ----------------------------------------------------------------

Form::~Form() {
  destroy();
  freeFonts();
}

bool Form::create(HINSTANCE instance, const FormSpec& spec, HWND owner) {
  if (window_ || !spec.className) return false;
  static bool commonControls = [] {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES};
    return InitCommonControlsEx(&icc) != FALSE;
  }();
  (void)commonControls;

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (!GetClassInfoExW(instance, spec.className, &wc)) {
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Form::proc;
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
    if (!RegisterClassExW(&wc)) return false;
  }

  specs_.assign(spec.controls.begin(), spec.controls.end());
  captions_.clear();
  for (const ControlSpec& c : spec.controls) captions_.emplace_back(c.caption);
  for (std::size_t i = 0; i < specs_.size(); ++i) specs_[i].caption = {};  // the copies above hold the text
  fontSpec_ = spec.font;
  fontFace_ = std::u16string(spec.font.face);
  fontSpec_.face = fontFace_;
  clientWidthTwips_ = spec.clientWidthTwips;
  clientHeightTwips_ = spec.clientHeightTwips;

  std::wstring title = wide(spec.caption);
  // Created hidden and empty: the DPI is known only once the window exists.
  window_ = CreateWindowExW(spec.exStyle, spec.className, title.c_str(), spec.style & ~WS_VISIBLE, CW_USEDEFAULT,
                            CW_USEDEFAULT, 0, 0, owner, nullptr, instance, this);
  if (!window_) return false;
  dpi_ = dpiForWindow(window_);
  makeFonts();

  controls_.assign(specs_.size(), nullptr);
  bold_flags_.assign(specs_.size(), false);
  for (std::size_t i = 0; i < specs_.size(); ++i) {
    const ControlSpec& c = specs_[i];
    ClassAndStyle k = classFor(c);
    DWORD style = WS_CHILD | k.style | c.extraStyle;
    if (!(c.flags & cf::kHidden)) style |= WS_VISIBLE;
    if (c.flags & cf::kTabStop) style |= WS_TABSTOP;
    if (c.flags & cf::kDisabled) style |= WS_DISABLED;
    if (startsGroup(specs_, i)) style |= WS_GROUP;
    std::wstring text = wide(captions_[i]);
    // Each new child goes below its siblings, so creation order is tab order.
    controls_[i] = CreateWindowExW(k.exStyle, k.cls, text.c_str(), style, 0, 0, 0, 0, window_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
    if (!controls_[i]) continue;
    bold_flags_[i] = (c.flags & cf::kBold) != 0;
    if (c.kind == ControlKind::Text && c.maxLength > 0)
      SendMessageW(controls_[i], EM_SETLIMITTEXT, static_cast<WPARAM>(c.maxLength), 0);
    if (c.kind == ControlKind::Text && (c.flags & cf::kImeOff)) ImmAssociateContext(controls_[i], nullptr);
  }
  // One tab stop per run of options, before anything is selected.
  for (std::size_t i = 0; i < specs_.size(); ++i)
    if (specs_[i].kind == ControlKind::Option && startsGroup(specs_, i)) updateGroupTabStop(i);
  applyFonts();
  layout();
  return true;
}

void Form::destroy() {
  if (window_) DestroyWindow(window_);  // WM_NCDESTROY clears window_
  window_ = nullptr;
}

HWND Form::control(int id) const {
  int i = indexOf(id);
  return i < 0 ? nullptr : controls_[static_cast<std::size_t>(i)];
}

int Form::indexOf(int id) const {
  for (std::size_t i = 0; i < specs_.size(); ++i)
    if (specs_[i].id == id) return static_cast<int>(i);
  return -1;
}

int Form::idWithFlag(unsigned flag) const {
  for (const ControlSpec& c : specs_)
    if (c.flags & flag) return c.id;
  return 0;
}

bool Form::checked(int id) const {
  HWND c = control(id);
  return c && SendMessageW(c, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Form::setChecked(int id, bool on) {
  int i = indexOf(id);
  if (i < 0 || !controls_[static_cast<std::size_t>(i)]) return;
  std::size_t at = static_cast<std::size_t>(i);
  if (specs_[at].kind == ControlKind::Option && on) {
    // Programmatic BM_SETCHECK does not clear the group's other options.
    std::size_t first = at;
    while (first > 0 && !startsGroup(specs_, first)) --first;
    for (std::size_t j = first; j < specs_.size() && (j == first || !startsGroup(specs_, j)); ++j)
      if (j != at && controls_[j] && specs_[j].kind == ControlKind::Option)
        SendMessageW(controls_[j], BM_SETCHECK, BST_UNCHECKED, 0);
  }
  SendMessageW(controls_[at], BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
  if (specs_[at].kind == ControlKind::Option) updateGroupTabStop(at);
}

// The selected option of a run is its tab stop, so Tab lands on the choice
// in force; without a selection the first one is.
void Form::updateGroupTabStop(std::size_t index) {
  std::size_t first = index;
  while (first > 0 && !startsGroup(specs_, first)) --first;
  if (!(specs_[first].flags & cf::kTabStop)) return;
  std::size_t last = first;
  while (last + 1 < specs_.size() && !startsGroup(specs_, last + 1)) ++last;
  std::size_t stop = first;
  for (std::size_t j = first; j <= last; ++j)
    if (controls_[j] && SendMessageW(controls_[j], BM_GETCHECK, 0, 0) == BST_CHECKED) stop = j;
  for (std::size_t j = first; j <= last; ++j) {
    if (!controls_[j]) continue;
    LONG_PTR style = GetWindowLongPtrW(controls_[j], GWL_STYLE);
    style = (j == stop) ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
    SetWindowLongPtrW(controls_[j], GWL_STYLE, style);
  }
}

std::u16string Form::text(int id) const {
  HWND c = control(id);
  if (!c) return {};
  int n = GetWindowTextLengthW(c);
  std::wstring buffer(static_cast<std::size_t>(n) + 1, L'\0');
  int got = GetWindowTextW(c, buffer.data(), n + 1);
  return fromWide(buffer.data(), static_cast<std::size_t>(got > 0 ? got : 0));
}

void Form::setText(int id, std::u16string_view text) {
  if (HWND c = control(id)) SetWindowTextW(c, wide(text).c_str());
}

void Form::setEnabled(int id, bool on) {
  if (HWND c = control(id)) EnableWindow(c, on ? TRUE : FALSE);
}

bool Form::enabled(int id) const {
  HWND c = control(id);
  return c && IsWindowEnabled(c);
}

void Form::setBold(int id, bool bold) {
  int i = indexOf(id);
  if (i < 0) return;
  bold_flags_[static_cast<std::size_t>(i)] = bold;
  if (HWND c = controls_[static_cast<std::size_t>(i)]) SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(bold ? bold_ : font_), TRUE);
}

void Form::setCaption(std::u16string_view caption) {
  if (window_) SetWindowTextW(window_, wide(caption).c_str());
}

std::u16string Form::caption() const {
  if (!window_) return {};
  int n = GetWindowTextLengthW(window_);
  std::wstring buffer(static_cast<std::size_t>(n) + 1, L'\0');
  int got = GetWindowTextW(window_, buffer.data(), n + 1);
  return fromWide(buffer.data(), static_cast<std::size_t>(got > 0 ? got : 0));
}

void Form::makeFonts() {
  LOGFONTW lf{};
  lf.lfHeight = fontHeightPixels(fontSpec_.points, dpi_.y);
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = fontSpec_.charset;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
  std::wstring face = wide(fontSpec_.face.substr(0, LF_FACESIZE - 1));
  face.copy(lf.lfFaceName, face.size());
  HFONT regular = CreateFontIndirectW(&lf);
  lf.lfWeight = FW_BOLD;
  HFONT bold = CreateFontIndirectW(&lf);
  freeFonts();
  font_ = regular;
  bold_ = bold;
}

void Form::freeFonts() {
  if (font_) DeleteObject(font_);
  if (bold_) DeleteObject(bold_);
  font_ = bold_ = nullptr;
}

void Form::applyFonts() {
  if (window_) SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  for (std::size_t i = 0; i < controls_.size(); ++i)
    if (controls_[i])
      SendMessageW(controls_[i], WM_SETFONT, reinterpret_cast<WPARAM>(bold_flags_[i] ? bold_ : font_), TRUE);
}

void Form::layout() {
  if (!window_) return;
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    if (!controls_[i]) continue;
    RECT t = controlRectTwips(specs_, i);
    // Both edges are converted, so neighbours in twips stay neighbours in pixels.
    int left = pxX(t.left), top = pxY(t.top);
    SetWindowPos(controls_[i], nullptr, left, top, pxX(t.right) - left, pxY(t.bottom) - top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  DWORD style = static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE));
  DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_EXSTYLE));
  SIZE s = windowSizeForClient(pxX(clientWidthTwips_), pxY(clientHeightTwips_), style, exStyle, dpi_.y);
  if (IsIconic(window_)) {
    // Sizing a minimised window would size its icon: size it when restored.
    resizePending_ = true;
    return;
  }
  SetWindowPos(window_, nullptr, 0, 0, s.cx, s.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // The frame the system really draws may differ from the one computed
  // (older systems, a DPI the frame has not followed yet): correct by what
  // the client area came out as.
  RECT client{};
  GetClientRect(window_, &client);
  int dx = pxX(clientWidthTwips_) - client.right, dy = pxY(clientHeightTwips_) - client.bottom;
  if (dx || dy)
    SetWindowPos(window_, nullptr, 0, 0, s.cx + dx, s.cy + dy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::clickFromKeyboard(int id) {
  int i = indexOf(id);
  if (i < 0) return;
  HWND c = controls_[static_cast<std::size_t>(i)];
  if (c && IsWindowEnabled(c) && IsWindowVisible(c)) onCommand(id, BN_CLICKED);
}

int Form::runModal(HWND owner) {
  if (!window_ || modal_) return 0;
  modal_ = true;
  modalDone_ = false;
  modalResult_ = 0;
  bool ownerWasEnabled = owner && IsWindowEnabled(owner);
  if (owner) EnableWindow(owner, FALSE);
  ShowWindow(window_, SW_SHOWNORMAL);
  SetForegroundWindow(window_);
  HWND first = GetNextDlgTabItem(window_, nullptr, FALSE);
  if (first) SetFocus(first);
  MSG msg;
  while (!modalDone_ && window_) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      // A quit request belongs to the main loop: leave and hand it on.
      PostQuitMessage(got == 0 ? static_cast<int>(msg.wParam) : 0);
      break;
    }
    dispatchFormMessage(msg);
  }
  // The owner is enabled before this window goes, so activation returns to it.
  if (owner && ownerWasEnabled) EnableWindow(owner, TRUE);
  if (window_) {
    ShowWindow(window_, SW_HIDE);
    if (owner) SetActiveWindow(owner);
  }
  destroy();
  modal_ = false;
  return modalResult_;
}

void Form::endModal(int result) {
  modalResult_ = result;
  modalDone_ = true;
  // Wakes GetMessage when this is called from outside a message.
  if (window_) PostMessageW(window_, WM_NULL, 0, 0);
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
      applyFonts();
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

void dispatchFormMessage(MSG& msg) {
  // Timer ticks (the polling timer's, up to twenty a second) are no keys:
  // the dialog manager and the key translation would only pass them on.
  if (msg.message != WM_TIMER) {
    if (Form::preTranslate(msg)) return;
    TranslateMessage(&msg);
  }
  DispatchMessageW(&msg);
}

void becomeDpiAware() {
  using SetContext = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT);
  HMODULE user = GetModuleHandleW(L"user32.dll");
  if (!user) return;
  auto set = reinterpret_cast<SetContext>(
      reinterpret_cast<void*>(GetProcAddress(user, "SetProcessDpiAwarenessContext")));
  if (set) set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
}

}  // namespace tavo::win32
