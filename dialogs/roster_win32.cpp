// frmWSet on Win32: the control table and a thin view over RosterDialog.
#include <windows.h>

#include <exception>
#include <new>
#include <optional>

#include "base/error.h"
#include "dialogs/dialogs_win32.h"
#include "dialogs/roster.h"
#include "main/main_window.h"
#include "platform/win32/wide_win32.h"

namespace tavo::win32 {

namespace {

using K = ControlKind;
using namespace roster_id;

constexpr UINT_PTR kFollowTimerId = 1;  // tmrWSet
// Runs the resize step once the first display has happened.
constexpr UINT kShownMessage = WM_APP + 1;

constexpr ControlSpec kRosterControls[] = {
    // Its access key lands on the list, the next row.
    {K::Label, kLblWSet, u"名簿(&L)", 180, 120, 1032, 252},
    {K::List, kLstWSet, u"", 120, 420, 2712, 1392, kNoParent, cf::kTabStop},
    {K::Button, kCmdWSet + 0, u"尾行開始っ(&F)", 2880, 420, 1572, 432, kNoParent, cf::kTabStop},
    {K::Button, kCmdWSet + 1, u"あきらめる(&G)", 2880, 960, 1572, 432, kNoParent, cf::kTabStop},
    {K::Button, kCmdWSet + 2, u"OK", 1500, 1920, 1632, 432, kNoParent, cf::kTabStop | cf::kDefault},
};

class RosterView : public Form, public RosterWindow {
 public:
  explicit RosterView(const DialogContext& context)
      : context_(context), logic_(context.settings, context.state, context.reporter, context.desktop, *this) {}

  bool create() {
    FormSpec form;
    form.className = L"TavoRoster";
    form.caption = u"あの子嫌い！";
    form.clientWidthTwips = kRosterClientWidthTwips;
    form.clientHeightTwips = kRosterClientHeightTwips;
    form.style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    form.controls = kRosterControls;
    // Not owned by the main window: minimised while following, the dialog
    // keeps a taskbar button of its own instead of vanishing with its owner.
    return Form::create(context_.instance, form, nullptr);
  }

  void load() {
    HWND list = control(kLstWSet);
    ShowWindow(list, SW_HIDE);
    event(roster::kButtonLocation, [&] { logic_.Form_Load(); });
    showList();
    ShowWindow(list, SW_SHOW);
    loaded_ = true;
  }

  // RosterWindow
  WindowHandle handle() override { return reinterpret_cast<WindowHandle>(hwnd()); }
  void minimize() override { ShowWindow(hwnd(), SW_MINIMIZE); }
  void restore() override { ShowWindow(hwnd(), SW_RESTORE); }
  void setTimer(bool enabled) override {
    if (enabled)
      SetTimer(hwnd(), kFollowTimerId, roster::kFollowDelayMs, nullptr);
    else
      KillTimer(hwnd(), kFollowTimerId);
  }

 protected:
  bool onKeyDown(unsigned vk, int shift) override {
    if (!isHelpKey(static_cast<int>(vk), shift)) return false;
    event(roster::kButtonLocation, [&] {
      if (context_.showHelp) context_.showHelp();
    });
    return true;
  }

  void onCommand(int id, int code) override {
    if (id == kLstWSet && code == LBN_SELCHANGE) {
      logic_.select(static_cast<int>(SendMessageW(control(kLstWSet), LB_GETCURSEL, 0, 0)));
      return;
    }
    if (id < kCmdWSet || id >= kCmdWSet + 3 || code != BN_CLICKED) return;
    const std::size_t before = logic_.list().size();
    event(roster::kButtonLocation, [&] { logic_.cmdWSet_Click(id - kCmdWSet); });
    if (logic_.list().size() != before) showList();
    if (logic_.closed()) endModal(IDOK);
  }

  std::optional<LRESULT> onMessage(UINT m, WPARAM wp, LPARAM lp) override {
    switch (m) {
      case WM_TIMER:
        if (wp != kFollowTimerId) return std::nullopt;
        {
          const std::size_t before = logic_.list().size();
          event(roster::kButtonLocation, [&] { logic_.tmrWSet_Timer(); });
          if (logic_.list().size() != before) showList();
        }
        return 0;
      case WM_SHOWWINDOW:
        // The first display sends no resize of its own: the layout sized the
        // window while it was hidden.
        if (wp && loaded_) PostMessageW(hwnd(), kShownMessage, 0, 0);
        return std::nullopt;
      case kShownMessage:
      case WM_SIZE:
        if (loaded_ && !logic_.closed()) event(roster::kButtonLocation, [&] { logic_.Form_Resize(); });
        return std::nullopt;
      case WM_CLOSE:
        // No Cancel button: closing stores nothing.
        KillTimer(hwnd(), kFollowTimerId);
        logic_.close();
        endModal(IDCANCEL);
        return 0;
    }
    return std::nullopt;
  }

 private:
  void showList() {
    HWND list = control(kLstWSet);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const auto& name : logic_.list()) {
      const std::wstring text = wide(name);
      SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(logic_.selected()), 0);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
  }

  template <class F>
  void event(std::u16string_view location, F&& f) {
    Scope(context_.reporter, location).step(std::forward<F>(f));
  }

  const DialogContext& context_;
  RosterDialog logic_;
  bool loaded_ = false;
};

}  // namespace

std::span<const ControlSpec> rosterControls() { return kRosterControls; }

void openRosterDialog(const DialogContext& context) {
  RosterView view(context);
  if (!view.create()) raise(err::kOutOfMemory);
  view.load();
  centreOnWorkArea(view.hwnd());
  const bool mainVisible = context.mainWindow && IsWindowVisible(context.mainWindow);
  if (mainVisible) ShowWindow(context.mainWindow, SW_MINIMIZE);
  context.prompt.setOwner(reinterpret_cast<WindowHandle>(view.hwnd()));
  view.runModal(context.mainWindow);
  context.prompt.setOwner(reinterpret_cast<WindowHandle>(context.mainWindow));
  if (mainVisible) ShowWindow(context.mainWindow, SW_RESTORE);
}

}  // namespace tavo::win32
