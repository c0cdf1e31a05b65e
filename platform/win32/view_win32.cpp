// A form's controls: made from the table, their state, fonts and layout at
// the window's DPI.
#include "platform/win32/view_win32.h"

#include <imm.h>

#include "platform/win32/wide_win32.h"

namespace tavo::win32 {

namespace {

// Functions of newer systems, looked up so the program still starts on old ones.
template <class F>
F user32Function(const char* name) {
  HMODULE user = GetModuleHandleW(L"user32.dll");
  return user ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(user, name))) : nullptr;
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

std::u16string windowText(HWND w) {
  int n = GetWindowTextLengthW(w);
  std::wstring buffer(static_cast<std::size_t>(n) + 1, L'\0');
  int got = GetWindowTextW(w, buffer.data(), n + 1);
  return fromWide(buffer.data(), static_cast<std::size_t>(got > 0 ? got : 0));
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
  if (WindowDc dc = windowDc(nullptr)) {
    int x = GetDeviceCaps(dc.get(), LOGPIXELSX), y = GetDeviceCaps(dc.get(), LOGPIXELSY);
    if (x > 0) dpi.x = x;
    if (y > 0) dpi.y = y;
  }
  return dpi;
}

void becomeDpiAware() {
  using SetContext = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT);
  if (auto set = user32Function<SetContext>("SetProcessDpiAwarenessContext"))
    set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
}

SIZE windowSizeForClient(int clientWidthPx, int clientHeightPx, DWORD style, DWORD exStyle, int dpi) {
  using AdjustForDpi = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
  static const auto adjustForDpi = user32Function<AdjustForDpi>("AdjustWindowRectExForDpi");
  RECT r{0, 0, clientWidthPx, clientHeightPx};
  if (!adjustForDpi || !adjustForDpi(&r, style, FALSE, exStyle, static_cast<UINT>(dpi)))
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
  return {r.right - r.left, r.bottom - r.top};
}

void Form::createControls(HINSTANCE instance) {
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
    const RowRange group = groupOf(specs_, at);
    for (std::size_t j = group.first; j <= group.last; ++j)
      if (j != at && controls_[j] && specs_[j].kind == ControlKind::Option)
        SendMessageW(controls_[j], BM_SETCHECK, BST_UNCHECKED, 0);
  }
  SendMessageW(controls_[at], BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
  if (specs_[at].kind == ControlKind::Option) updateGroupTabStop(at);
}

// The selected option of a run is its tab stop, so Tab lands on the choice
// in force; without a selection the first one is.
void Form::updateGroupTabStop(std::size_t index) {
  const RowRange group = groupOf(specs_, index);
  if (!(specs_[group.first].flags & cf::kTabStop)) return;
  std::size_t stop = group.first;
  for (std::size_t j = group.first; j <= group.last; ++j)
    if (controls_[j] && SendMessageW(controls_[j], BM_GETCHECK, 0, 0) == BST_CHECKED) stop = j;
  for (std::size_t j = group.first; j <= group.last; ++j) {
    if (!controls_[j]) continue;
    LONG_PTR style = GetWindowLongPtrW(controls_[j], GWL_STYLE);
    style = (j == stop) ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
    SetWindowLongPtrW(controls_[j], GWL_STYLE, style);
  }
}

std::u16string Form::text(int id) const {
  HWND c = control(id);
  return c ? windowText(c) : std::u16string();
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
  if (HWND c = controls_[static_cast<std::size_t>(i)])
    SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(bold ? bold_.get() : font_.get()), TRUE);
}

void Form::setCaption(std::u16string_view caption) {
  if (window_) SetWindowTextW(window_, wide(caption).c_str());
}

std::u16string Form::caption() const { return window_ ? windowText(window_) : std::u16string(); }

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
  FontHandle regular(CreateFontIndirectW(&lf));
  lf.lfWeight = FW_BOLD;
  FontHandle bold(CreateFontIndirectW(&lf));
  if (window_) SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(regular.get()), FALSE);
  for (std::size_t i = 0; i < controls_.size(); ++i)
    if (controls_[i])
      SendMessageW(controls_[i], WM_SETFONT, reinterpret_cast<WPARAM>(bold_flags_[i] ? bold.get() : regular.get()),
                   TRUE);
  // The old fonts go only now that no control draws with them.
  font_ = std::move(regular);
  bold_ = std::move(bold);
}

void Form::layout() {
  if (!window_) return;
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    if (!controls_[i]) continue;
    TwipsRect t = controlRectTwips(specs_, i);
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

}  // namespace tavo::win32
