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
#include <windows.h>

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tavo::win32 {

// ---- Units ---------------------------------------------------------------

inline constexpr int kTwipsPerInch = 1440;

// Nearest whole pixel, halves away from zero.
constexpr int twipsToPixels(int twips, int dpi) {
  long long scaled = static_cast<long long>(twips) * dpi;
  return static_cast<int>(scaled >= 0 ? (scaled + kTwipsPerInch / 2) / kTwipsPerInch
                                      : -((-scaled + kTwipsPerInch / 2) / kTwipsPerInch));
}

constexpr int pixelsToTwips(int pixels, int dpi) {
  if (dpi <= 0) return 0;
  long long scaled = static_cast<long long>(pixels) * kTwipsPerInch;
  return static_cast<int>(scaled >= 0 ? (scaled + dpi / 2) / dpi : -((-scaled + dpi / 2) / dpi));
}

struct Dpi {
  int x = 96, y = 96;
};

// The DPI a window is drawn at: GetDpiForWindow where the system has it,
// otherwise the screen's logical pixels per inch, otherwise 96.
Dpi dpiForWindow(HWND w);

// Per-monitor v2 where the system has it and the manifest did not already
// set it; older systems keep their default and still run the program.
void becomeDpiAware();

// ---- Control table -------------------------------------------------------

enum class ControlKind { Frame, Option, Check, Button, Label, Text, List };

inline constexpr int kNoParent = -1;

// Control flags.
namespace cf {
inline constexpr unsigned kDefault = 1u << 0;     // Enter clicks it
inline constexpr unsigned kCancel = 1u << 1;      // Esc clicks it
inline constexpr unsigned kGroup = 1u << 2;       // starts a group (frames and option runs do anyway)
inline constexpr unsigned kTabStop = 1u << 3;
inline constexpr unsigned kDisabled = 1u << 4;
inline constexpr unsigned kNumberOnly = 1u << 5;  // text box: digits only
inline constexpr unsigned kImeOff = 1u << 6;      // text box: no input method
inline constexpr unsigned kBold = 1u << 7;        // the bold variant of the form's font
inline constexpr unsigned kHidden = 1u << 8;
}  // namespace cf

struct ControlSpec {
  ControlKind kind;
  int id;
  std::u16string_view caption;
  int left, top, width, height;  // twips; inside a frame, relative to it
  int parent = kNoParent;        // row of the enclosing frame in the same table
  unsigned flags = 0;            // cf::
  int maxLength = 0;             // text boxes: 0 = the system's limit
  DWORD extraStyle = 0;          // further BS_/ES_/LBS_/SS_/WS_ bits
};

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

// The font height in pixels (negative: character height) for a size in points.
int fontHeightPixels(double points, int dpiY);

// Absolute position of row `index` in twips: frames add their own offsets.
RECT controlRectTwips(std::span<const ControlSpec> controls, std::size_t index);

// Whether row `index` begins a dialog-manager group: frames, the first row,
// the row after a frame, a change of parent, the first option button of a run
// and the first row after such a run, besides anything marked cf::kGroup.
bool startsGroup(std::span<const ControlSpec> controls, std::size_t index);

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
  HFONT font() const { return font_; }
  HFONT boldFont() const { return bold_; }

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
  void makeFonts();
  void freeFonts();
  void applyFonts();
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
  HFONT font_ = nullptr;
  HFONT bold_ = nullptr;
  int clientWidthTwips_ = 0, clientHeightTwips_ = 0;
  bool modal_ = false;
  bool resizePending_ = false;  // a DPI change met the window minimised
  HWND lastFocus_ = nullptr;     // the control that had the focus when the window lost it
  bool modalDone_ = false;
  int modalResult_ = 0;
};

// Runs msg through Form::preTranslate, and dispatches it when no form took it.
void dispatchFormMessage(MSG& msg);

// The window size that gives a client area of the given pixels for this
// style at this DPI.
SIZE windowSizeForClient(int clientWidthPx, int clientHeightPx, DWORD style, DWORD exStyle, int dpi);

}  // namespace tavo::win32
