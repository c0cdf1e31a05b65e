#pragma once
// Forms: top-level windows whose controls come from a table in twips.
//
// How to write a window with it:
//
//   constexpr ControlSpec kControls[] = {      // in tab order
//     {ControlKind::Frame,  100, u"枠",   120, 120, 3000, 1400},
//     {ControlKind::Option, 101, u"&A",   180, 300, 1500,  312, 0, cf::kTabStop},
//     {ControlKind::Button, 110, u"OK",  3200, 240, 1152,  492, kNoParent,
//      cf::kDefault | cf::kTabStop},
//     {ControlKind::Button, 111, u"Cancel", 3200, 780, 1152, 492, kNoParent,
//      cf::kCancel | cf::kTabStop},
//   };
//   class MyDialog : public Form {
//     bool onKeyDown(unsigned vk, int shift) override;      // F1 and friends
//     void onCommand(int id, int code) override;            // clicks
//   };
//   MyDialog d;
//   d.create(instance, {.className = L"TavoMyDialog", .caption = u"題名",
//                       .clientWidthTwips = 4500, .clientHeightTwips = 2000,
//                       .controls = kControls}, owner);
//   int result = d.runModal(owner);   // endModal(n) from a handler ends it
//
// - Controls inside a frame give their position relative to the frame (the
//   `parent` index points at the frame's row); all controls are children of
//   the form itself, so the dialog manager sees every one of them.
// - Ids should be 100 or more: 1 and 2 are the dialog manager's IDOK and
//   IDCANCEL. Enter arrives as a click of the kDefault button, Esc and the
//   close box of a modal form as a click of the kCancel button.
// - Every message loop of the program must pass its messages through
//   dispatchFormMessage() (the main loop, runModal's nested loop, pumps):
//   that gives onKeyDown the keys before any control, and Tab, arrows,
//   Enter, Esc and access keys to the dialog manager.
// - Fonts follow the window's DPI; on WM_DPICHANGED the form re-creates them,
//   lays the controls out again and calls onDpiChanged().
// - Option buttons with the same parent that follow one another form one
//   group; the selected one is the group's tab stop.
// - The form lets go of its window at WM_NCDESTROY and never hears of it
//   again. Its destructor destroys a window still open without calling back
//   into the half-destroyed object: a subclass whose handlers must see its
//   own WM_DESTROY, or that keeps fonts its controls use, calls destroy()
//   in its own destructor.
//
// The layout rules (twips, frames, groups) are in platform/layout.h; the
// window procedure and dispatch in form_win32.cpp, the modal loop in
// modal_win32.cpp, controls, fonts and layout in view_win32.cpp.
#include <windows.h>

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/layout.h"
#include "platform/win32/handle_win32.h"

namespace tavo::win32 {

struct Dpi {
  int x = 96, y = 96;
};

// The DPI a window is drawn at: GetDpiForWindow where the system has it,
// otherwise the screen's logical pixels per inch, otherwise 96.
Dpi dpiForWindow(HWND w);

// Per-monitor v2 where the system has it and the manifest did not already
// set it; older systems keep their default and still run the program.
void becomeDpiAware();

// The window size that gives a client area of the given pixels for this
// style at this DPI.
SIZE windowSizeForClient(int clientWidthPx, int clientHeightPx, DWORD style, DWORD exStyle, int dpi);

struct FontSpec {
  std::u16string_view face = u"ＭＳ Ｐゴシック";
  double points = 9.6;
  BYTE charset = SHIFTJIS_CHARSET;
};

struct FormSpec {
  const wchar_t* className = nullptr;  // registered on first use
  std::u16string_view caption;
  int clientWidthTwips = 0, clientHeightTwips = 0;
  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  DWORD exStyle = 0;
  std::span<const ControlSpec> controls;
  FontSpec font;
  int iconId = 1;  // resource id of the program's icon; the system's when missing
};

// ---- Forms ---------------------------------------------------------------

class Form {
 public:
  Form() = default;
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  // Creates the window hidden, sized to the client area at its DPI, and its
  // controls in table order (which is the tab order).
  bool create(HINSTANCE instance, const FormSpec& spec, HWND owner = nullptr);
  void destroy();

  HWND hwnd() const { return window_; }
  HWND control(int id) const;
  Dpi dpi() const { return dpi_; }
  HFONT font() const { return font_.get(); }
  HFONT boldFont() const { return bold_.get(); }

  int pxX(int twips) const { return twipsToPixels(twips, dpi_.x); }
  int pxY(int twips) const { return twipsToPixels(twips, dpi_.y); }
  int twipsX(int px) const { return pixelsToTwips(px, dpi_.x); }
  int twipsY(int px) const { return pixelsToTwips(px, dpi_.y); }

  // Control state. Setting an option button clears the others of its group.
  bool checked(int id) const;
  void setChecked(int id, bool on);
  std::u16string text(int id) const;
  void setText(int id, std::u16string_view text);
  void setEnabled(int id, bool on);
  bool enabled(int id) const;
  void setBold(int id, bool bold);
  void setCaption(std::u16string_view caption);
  std::u16string caption() const;

  // Shows the form and runs a nested message loop with `owner` disabled
  // until endModal(); returns endModal's value. The form is destroyed after.
  int runModal(HWND owner);
  void endModal(int result);
  bool modal() const { return modal_; }

  // Lays the controls out at the current DPI (after a DPI change).
  void layout();

  // The dialog manager's part of a message loop; see the comment at the top.
  static bool preTranslate(MSG& msg);

 protected:
  // Keys before any control sees them. shift: 1 Shift, 2 Ctrl, 4 Alt.
  // Return true to swallow the key.
  virtual bool onKeyDown(unsigned vk, int shift) { return false; }
  // Control notifications (BN_CLICKED, EN_CHANGE, LBN_SELCHANGE, ...).
  virtual void onCommand(int id, int code) {}
  // Any message; nullopt leaves it to the form's default handling.
  virtual std::optional<LRESULT> onMessage(UINT m, WPARAM wp, LPARAM lp) { return std::nullopt; }
  // After the fonts and the layout followed a new DPI.
  virtual void onDpiChanged() {}

 private:
  static LRESULT CALLBACK proc(HWND w, UINT m, WPARAM wp, LPARAM lp);
  LRESULT handle(UINT m, WPARAM wp, LPARAM lp);
  void createControls(HINSTANCE instance);
  void makeFonts();  // at the current DPI, in use before the old ones go
  void updateGroupTabStop(std::size_t index);
  int indexOf(int id) const;
  int idWithFlag(unsigned flag) const;
  void clickFromKeyboard(int id);

  HWND window_ = nullptr;
  std::vector<ControlSpec> specs_;
  std::vector<HWND> controls_;
  std::vector<std::u16string> captions_;  // the table's views may not outlive create()
  std::vector<bool> bold_flags_;
  FontSpec fontSpec_;
  std::u16string fontFace_;
  Dpi dpi_;
  FontHandle font_, bold_;  // members: freed after ~Form has destroyed the window
  int clientWidthTwips_ = 0, clientHeightTwips_ = 0;
  bool modal_ = false;
  bool resizePending_ = false;  // a DPI change met the window minimised
  HWND lastFocus_ = nullptr;     // the control that had the focus when the window lost it
  bool modalDone_ = false;
  int modalResult_ = 0;
};

// Runs msg through Form::preTranslate, and dispatches it when no form took it.
void dispatchFormMessage(MSG& msg);

}  // namespace tavo::win32
