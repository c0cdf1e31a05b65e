// Wavmend.exe: one window with two buttons; "修正(&F)" quotes the stored
// chime and "Call Me" paths, "終了(&X)" ends.
#include <windows.h>

#include <exception>

#include "platform/win32/ports_win32.h"
#include "platform/win32/registry_store_win32.h"
#include "platform/win32/view_win32.h"
#include "settings/store.h"
#include "wavmend/repair.h"

namespace tavo::win32 {
namespace {

constexpr int kCmdMain = 100;  // 100 "修正(&F)", 101 "終了(&X)"

constexpr ControlSpec kControls[] = {
    {ControlKind::Button, kCmdMain + 0, u"修正(&F)", 540, 180, 1032, 432, kNoParent, cf::kTabStop},
    {ControlKind::Button, kCmdMain + 1, u"終了(&X)", 2100, 180, 1032, 432, kNoParent, cf::kTabStop},
};

class WavmendWindow : public Form {
 public:
  bool create(HINSTANCE instance) {
    FormSpec form;
    form.className = L"TavoWavmend";
    form.caption = wavmend::kCaption;
    form.clientWidthTwips = 3648;
    form.clientHeightTwips = 792;
    // A close box only: the narrow title bar keeps room for the whole caption.
    form.style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    form.controls = kControls;
    form.font.points = 10.2;
    if (!Form::create(instance, form)) return false;
    prompt_.setOwner(reinterpret_cast<WindowHandle>(hwnd()));
    return true;
  }

 protected:
  void onCommand(int id, int code) override {
    if (code != BN_CLICKED) return;
    if (id == kCmdMain + 0) {
      bool carryOn = false;
      try {
        carryOn = wavmend::cmdMain_Fix(settings_, prompt_);
      } catch (const std::exception&) {
        prompt_.messageBox(u"設定を修正できませんでした。", wavmend::kFailTitle, wavmend::kFailFlags);
      }
      if (!carryOn) DestroyWindow(hwnd());
    } else if (id == kCmdMain + 1) {
      DestroyWindow(hwnd());
    }
  }

  std::optional<LRESULT> onMessage(UINT m, WPARAM, LPARAM) override {
    if (m == WM_DESTROY) PostQuitMessage(0);
    return std::nullopt;
  }

 private:
  RegistryStore store_;
  Settings settings_{store_};
  Win32Prompt prompt_;
};

}  // namespace
}  // namespace tavo::win32

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  tavo::win32::becomeDpiAware();
  tavo::win32::WavmendWindow window;
  if (!window.create(instance)) return 1;
  ShowWindow(window.hwnd(), show);
  UpdateWindow(window.hwnd());
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) tavo::win32::dispatchFormMessage(msg);
  return static_cast<int>(msg.wParam);
}
