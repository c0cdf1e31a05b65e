#include "main/main_window_win32.h"

#include <exception>
#include <utility>

#include "base/error.h"
#include "platform/win32/wide_win32.h"

namespace tavo::win32 {

namespace {

using K = ControlKind;
using namespace main_id;

constexpr int kFrame0 = 0, kFrame1 = 4;  // rows of the two frames

constexpr ControlSpec kMainControls[] = {
    {K::Frame, kFraInterval, u"アクティブウィンドウ検出精度", 120, 120, 3432, 1455},
    {K::Option, kOptInterval + 0, u"Hi    - CPU負担大(&H)", 180, 300, 2532, 312, kFrame0, cf::kTabStop},
    {K::Option, kOptInterval + 1, u"Middle(&M)", 180, 660, 1512, 312, kFrame0, cf::kTabStop},
    {K::Option, kOptInterval + 2, u"Low  - CPU負担小(&L)", 180, 1020, 2532, 312, kFrame0, cf::kTabStop},
    {K::Frame, kFraTaste, u"ユーザーの好み", 120, 1680, 3432, 1512},
    {K::Option, kOptTaste + 0, u"弱洋風(&A)", 180, 300, 1512, 312, kFrame1, cf::kTabStop},
    {K::Option, kOptTaste + 1, u"一般(&N)", 180, 660, 1512, 312, kFrame1, cf::kTabStop},
    {K::Check, kChkRight, u"時計は右(&C)", 180, 1080, 1512, 312, kFrame1, cf::kTabStop},
    {K::Button, kCmdToSet + 0, u"あの子嫌い(&B)", 1800, 300, 1452, 495, kFrame1, cf::kTabStop},
    {K::Button, kCmdToSet + 1, u"詳細(&S)", 1800, 900, 1452, 495, kFrame1, cf::kTabStop},
    {K::Button, kCmdMain + 0, u"OK", 3720, 240, 1152, 492, kNoParent, cf::kTabStop | cf::kDefault},
    {K::Button, kCmdMain + 1, u"Cancel", 3720, 780, 1152, 492, kNoParent, cf::kTabStop | cf::kCancel},
    {K::Button, kCmdMain + 2, u"About(&A)", 3720, 1920, 1152, 492, kNoParent, cf::kTabStop},
    {K::Button, kCmdMain + 3, u"Exit(&X)", 3720, 2700, 1152, 492, kNoParent, cf::kTabStop},
    {K::Button, kCmdMain + 4, u"Help [F1]", 3720, 1380, 1152, 492, kNoParent, cf::kTabStop},
};

// A fixed dialog-like frame that can be minimised; the layout does not stretch.
constexpr DWORD kMainStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

double toTwips(int pixels, int dpi) { return dpi > 0 ? pixels * static_cast<double>(kTwipsPerInch) / dpi : 0.0; }

}  // namespace

std::span<const ControlSpec> mainControls() { return kMainControls; }

bool MainWindowView::create(HINSTANCE instance) {
  static const std::wstring className = wide(kMainWindowClass);
  FormSpec spec;
  spec.className = className.c_str();
  // The design caption differs from "Tavo", which is what a second instance looks for.
  spec.caption = u"TavoNS";
  spec.clientWidthTwips = kMainClientWidthTwips;
  spec.clientHeightTwips = kMainClientHeightTwips;
  spec.style = kMainStyle;
  spec.controls = kMainControls;
  if (!Form::create(instance, spec)) return false;
  SetPropW(hwnd(), wide(kMainWindowMark).c_str(), reinterpret_cast<HANDLE>(1));
  return true;
}

void MainWindowView::park() {
  ShowWindow(hwnd(), SW_HIDE);
  RECT r{};
  GetWindowRect(hwnd(), &r);
  SetWindowPos(hwnd(), nullptr, -(r.right - r.left), r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindowView::settle() {
  loaded_ = true;
  ShowWindow(hwnd(), SW_SHOWMINNOACTIVE);
  ShowWindow(hwnd(), SW_HIDE);
}

void MainWindowView::startTimer(UINT_PTR id, UINT milliseconds) {
  if (hwnd()) SetTimer(hwnd(), id, milliseconds, nullptr);
}

void MainWindowView::stopTimer(UINT_PTR id) {
  if (hwnd()) KillTimer(hwnd(), id);
}

bool MainWindowView::isMinimized() { return IsIconic(hwnd()) != FALSE; }

double MainWindowView::screenWidthTwips() { return toTwips(GetSystemMetrics(SM_CXSCREEN), dpi().x); }
double MainWindowView::screenHeightTwips() { return toTwips(GetSystemMetrics(SM_CYSCREEN), dpi().y); }

double MainWindowView::windowWidthTwips() {
  RECT r{};
  GetWindowRect(hwnd(), &r);
  return toTwips(r.right - r.left, dpi().x);
}

double MainWindowView::windowHeightTwips() {
  RECT r{};
  GetWindowRect(hwnd(), &r);
  return toTwips(r.bottom - r.top, dpi().y);
}

void MainWindowView::moveTo(long leftTwips, long topTwips) {
  SetWindowPos(hwnd(), nullptr, pxX(static_cast<int>(leftTwips)), pxY(static_cast<int>(topTwips)), 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindowView::minimizeAndHide() {
  ShowWindow(hwnd(), SW_MINIMIZE);
  ShowWindow(hwnd(), SW_HIDE);
}

void MainWindowView::close() {
  if (hwnd()) SendMessageW(hwnd(), WM_CLOSE, 0, 0);
}

void MainWindowView::showChoices(const MainChoices& choices) {
  if (choices.interval >= 0 && choices.interval <= 2) setChecked(kOptInterval + choices.interval, true);
  if (choices.taste >= 0 && choices.taste <= 1) setChecked(kOptTaste + choices.taste, true);
  setEnabled(kOptTaste + 0, choices.tasteEnabled);
  setEnabled(kOptTaste + 1, choices.tasteEnabled);
  setChecked(kChkRight, choices.right);
}

void MainWindowView::openSettingsDialog(int index) {
  if (openSettingsDialogHook) openSettingsDialogHook(index);
}

template <class F>
void MainWindowView::event(std::u16string_view location, F&& f) {
  if (!logic_) return;
  Scope(reporter_, location).step(std::forward<F>(f));
}

bool MainWindowView::onKeyDown(unsigned vk, int shift) {
  event(u"frmMain!Form_KeyDown", [&] { logic_->Form_KeyDown(static_cast<int>(vk), shift); });
  // F1 is taken here so that no control turns it into a help request of its own.
  return isHelpKey(static_cast<int>(vk), shift);
}

void MainWindowView::onCommand(int id, int code) {
  if (code != BN_CLICKED) return;
  if (id >= kOptInterval && id < kOptInterval + 3) {
    event(kMainButtonLocation, [&] { logic_->optInterval_Click(id - kOptInterval); });
  } else if (id >= kOptTaste && id < kOptTaste + 2) {
    event(kMainButtonLocation, [&] { logic_->optTaste_Click(id - kOptTaste); });
  } else if (id == kChkRight) {
    event(kMainButtonLocation, [&] { logic_->chkRight_Click(checked(kChkRight)); });
  } else if (id >= kCmdToSet && id < kCmdToSet + 2) {
    event(kToSetLocation, [&] { logic_->cmdToSet_Click(id - kCmdToSet); });
  } else if (id >= kCmdMain && id < kCmdMain + 5) {
    event(kMainButtonLocation, [&] { logic_->cmdMain_Click(id - kCmdMain); });
  }
}

void MainWindowView::unload() {
  if (unloaded_) return;
  unloaded_ = true;
  event(kUnloadLocation, [&] { logic_->Form_Unload(); });
}

std::optional<LRESULT> MainWindowView::onMessage(UINT m, WPARAM wp, LPARAM lp) {
  switch (m) {
    case WM_TIMER: {
      auto it = timers_.find(wp);
      if (it == timers_.end()) return std::nullopt;
      if (it->second) it->second();
      return 0;
    }
    case WM_SIZE:
      if (loaded_) event(kResizeLocation, [&] { logic_->Form_Resize(); });
      return std::nullopt;
    case WM_CLOSE:
      // Exit, the close box and a second instance's "/x" all end here.
      unload();
      DestroyWindow(hwnd());
      return 0;
    case WM_ENDSESSION:
      // The session ends without WM_CLOSE.
      if (wp) unload();
      return 0;
    case WM_DESTROY:
      for (const auto& [id, handler] : timers_) KillTimer(hwnd(), id);
      RemovePropW(hwnd(), wide(kMainWindowMark).c_str());
      PostQuitMessage(0);
      return 0;
  }
  return std::nullopt;
}

}  // namespace tavo::win32
