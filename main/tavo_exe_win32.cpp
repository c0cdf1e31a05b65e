// Tavo.exe: a hidden main window whose timer runs the caption clock cycle.
#include <windows.h>

#include <cstdint>
#include <exception>
#include <utility>

#include "base/report.h"
#include "main/app_state.h"
#include "main/cycle.h"
#include "main/startup.h"
#include "platform/win32/desktop_win32.h"
#include "platform/win32/ports_win32.h"
#include "platform/win32/registry_store_win32.h"
#include "platform/win32/system_resources_win32.h"
#include "settings/store.h"

namespace tavo {
namespace {

// A second Tavo finds the first by this class and title.
constexpr wchar_t kMainClass[] = L"ThunderRT6FormDC";
constexpr wchar_t kMainTitle[] = L"Tavo";
constexpr UINT_PTR kMainTimerId = 1;  // tmrMain

// The hourly signals and the alarm are not built yet; the cycle already
// decides when they are due.
class QuietSignals : public TimeSignals {
 public:
  void ChkPika(std::uint8_t) override {}
  void ChkAlarm() override {}
};

// Per-monitor v2 where the system has it (Windows 10 1703 on); older systems
// keep their default and still run Tavo.
void becomeDpiAware() {
  using SetContext = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT);
  HMODULE user = GetModuleHandleW(L"user32.dll");
  if (!user) return;
  auto set = reinterpret_cast<SetContext>(
      reinterpret_cast<void*>(GetProcAddress(user, "SetProcessDpiAwarenessContext")));
  if (set) set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
}

class TavoApp {
 public:
  TavoApp()
      : settings_(store_),
        boxes_(prompt_),
        reporter_(boxes_, buildVersion()),
        cycle_(state_, desktop_, clock_, resources_, reporter_, signals_) {}

  int run(HINSTANCE instance) {
    if (!createMainWindow(instance)) return 1;
    shell_.setOwner(reinterpret_cast<WindowHandle>(window_));
    loadAtStartup(settings_, state_, reporter_);
    // The timer starts only now: no tick runs before the settings are in memory.
    SetTimer(window_, kMainTimerId, static_cast<UINT>(state_.checkInterval), nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
  }

 private:
  bool createMainWindow(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &TavoApp::proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kMainClass;
    if (!RegisterClassExW(&wc)) return false;
    // Created without WS_VISIBLE: the window stays hidden.
    window_ = CreateWindowExW(0, kMainClass, kMainTitle, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance,
                              this);
    return window_ != nullptr;
  }

  static LRESULT CALLBACK proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_NCCREATE) {
      auto* self = static_cast<TavoApp*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
      SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<TavoApp*>(GetWindowLongPtrW(w, GWLP_USERDATA));
    return self ? self->handle(w, m, wp, lp) : DefWindowProcW(w, m, wp, lp);
  }

  LRESULT handle(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    switch (m) {
      case WM_TIMER:
        if (wp == kMainTimerId) {
          guarded(u"frmMain!tmrMain_Timer", [&] { cycle_.tmrMain_Timer(); });
          return 0;
        }
        break;
      case WM_CLOSE:
        DestroyWindow(w);
        return 0;
      case WM_ENDSESSION:
        // The session ends without WM_DESTROY: leave no frozen clock behind.
        if (wp) leave();
        return 0;
      case WM_DESTROY:
        KillTimer(w, kMainTimerId);
        leave();
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(w, m, wp, lp);
  }

  // The window that carries the clock gets its own title back, once.
  void leave() {
    if (left_) return;
    left_ = true;
    guarded(u"frmMain_Unload", [&] { cycle_.restoreCurrent(); });
  }

  // No exception may unwind through the window procedure into the system.
  template <class F>
  void guarded(std::u16string_view location, F&& f) {
    Scope scope(reporter_, std::u16string(location));
    try {
      scope.step(std::forward<F>(f));
    } catch (const std::exception&) {
      scope.report(Error::of(err::kInvalidArgument));
    }
  }

  win32::RegistryStore store_;
  Settings settings_;
  win32::Win32Prompt prompt_;
  Boxes boxes_;
  Reporter reporter_;
  win32::Win32Desktop desktop_;
  win32::Win32Clock clock_;
  win32::Win32Shell shell_;
  win32::Win32SystemResources resources_;
  QuietSignals signals_;
  AppState state_;
  CaptionCycle cycle_;
  HWND window_ = nullptr;
  bool left_ = false;
};

}  // namespace
}  // namespace tavo

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  tavo::becomeDpiAware();
  static tavo::TavoApp app;  // lives as long as the program
  return app.run(instance);
}
