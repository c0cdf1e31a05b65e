// Tavo.exe: start-up hand-over between instances, the main window and the
// message loop whose timer runs the caption clock cycle.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <exception>
#include <string>
#include <utility>

#include "base/report.h"
#include "dialogs/dialogs_win32.h"
#include "main/app.h"
#include "main/main_window_win32.h"
#include "platform/win32/desktop_win32.h"
#include "platform/win32/ledger_win32.h"
#include "platform/win32/overlay_win32.h"
#include "platform/win32/ports_win32.h"
#include "platform/win32/registry_store_win32.h"
#include "platform/win32/system_resources_win32.h"
#include "platform/win32/view_win32.h"
#include "platform/win32/wide_win32.h"

namespace tavo {
namespace {

constexpr UINT_PTR kFlashTimerId = 2;  // tmrFlash
constexpr UINT kFlashIntervalMs = 100;

// tmrFlash: a window timer of the main window, ticking while a flash run lasts.
class ViewFlashTimer : public FlashTimer {
 public:
  explicit ViewFlashTimer(win32::MainWindowView& view) : view_(view) {}
  void enable() override { view_.startTimer(kFlashTimerId, kFlashIntervalMs); }
  void disable() override { view_.stopTimer(kFlashTimerId); }

 private:
  win32::MainWindowView& view_;
};

// What a second instance does to the first one's window.
class Win32OtherInstance : public OtherInstance {
 public:
  void postClose(WindowHandle w) override { PostMessageW(reinterpret_cast<HWND>(w), WM_CLOSE, 0, 0); }
  void showNormal(WindowHandle w) override { ShowWindow(reinterpret_cast<HWND>(w), SW_SHOWNORMAL); }
};

// The Win32 ports, the application wired on them, and its main window.
class TavoApp {
 public:
  int run(HINSTANCE instance, std::u16string_view commandText) {
    // Before anything else, and before any setting is read: a second Tavo
    // hands over to the first and ends.
    Win32OtherInstance other;
    if (!app_.handOver(commandText, other)) return 0;

    if (!view_.create(instance)) return 1;
    view_.attach(app_.mainWindow());
    view_.openSettingsDialogHook = [this, instance](int index) {
      const win32::DialogContext context{instance,       view_.hwnd(),   app_.settings(), app_.state(),
                                         app_.reporter(), desktop_,      prompt_,
                                         [this] { app_.mainWindow().ShowHelp(); }};
      index == 0 ? win32::openRosterDialog(context) : win32::openDetailsDialog(context);
    };
    const auto window = reinterpret_cast<WindowHandle>(view_.hwnd());
    shell_.setOwner(window);
    prompt_.setOwner(window);
    view_.setTimerHandler(win32::kMainTimerId, [this] { app_.tick(); });
    view_.setTimerHandler(kFlashTimerId, [this] { app_.flashTick(); });

    view_.park();
    app_.load();  // caption, settings, pattern; starts tmrMain
    view_.settle();

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) win32::dispatchFormMessage(msg);
    return static_cast<int>(msg.wParam);
  }

  // A fault about to end the program: the window in front gets its own title
  // back first. (The end of the session goes through WM_ENDSESSION's unload.)
  void goingDown() noexcept { app_.goingDown(); }

 private:
  win32::RegistryStore store_;
  win32::Win32Prompt prompt_;
  win32::Win32Host host_;
  win32::Win32Desktop desktop_;
  win32::Win32Clock clock_;
  win32::Win32Sound sound_;
  win32::Win32Shell shell_;
  win32::Win32SystemResources resources_;
  win32::Win32Pump pump_;
  win32::VolatileLedger ledger_;
  win32::OverlayWindow overlay_;
  // The view is made after the application, whose reporter it uses; both
  // only keep references to each other until the window exists.
  ViewFlashTimer flashTimer_{view_};
  Application app_{
      AppPorts{store_, prompt_, host_, desktop_, clock_, sound_, shell_, resources_, pump_, flashTimer_, ledger_,
               overlay_},
      view_};
  win32::MainWindowView view_{app_.reporter()};
};

}  // namespace
}  // namespace tavo

namespace {
tavo::TavoApp* gApp = nullptr;

LONG WINAPI onUnhandledException(EXCEPTION_POINTERS*) {
  if (gApp) std::exchange(gApp, nullptr)->goingDown();  // once, even if it faults itself
  return EXCEPTION_CONTINUE_SEARCH;
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  tavo::win32::becomeDpiAware();
  static tavo::TavoApp app;  // lives as long as the program
  gApp = &app;
  SetUnhandledExceptionFilter(onUnhandledException);
  std::set_terminate([] {
    onUnhandledException(nullptr);
    std::abort();
  });
  const wchar_t* text = commandLine ? commandLine : L"";
  return app.run(instance, tavo::win32::fromWide(text, wcslen(text)));
}
