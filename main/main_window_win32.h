#pragma once
// frmMain on Win32: the control table, and a thin view that forwards the
// window's events to MainWindow and carries out what it decides. It also
// hosts the program's window timers (tmrMain, and those other parts add).
#include <windows.h>

#include <functional>
#include <map>
#include <span>

#include "base/report.h"
#include "main/main_window.h"
#include "platform/win32/view_win32.h"

namespace tavo::win32 {

// Control ids of frmMain; the indexes of a control array follow one another.
namespace main_id {
inline constexpr int kFraInterval = 100;
inline constexpr int kOptInterval = 101;  // 101..103
inline constexpr int kFraTaste = 110;
inline constexpr int kOptTaste = 111;  // 111, 112
inline constexpr int kChkRight = 113;
inline constexpr int kCmdToSet = 114;  // 114, 115
inline constexpr int kCmdMain = 120;   // 120..124, by cmdMain index
}  // namespace main_id

inline constexpr int kMainClientWidthTwips = 4992;
inline constexpr int kMainClientHeightTwips = 3312;
inline constexpr UINT_PTR kMainTimerId = 1;  // tmrMain

// The controls in tab order.
std::span<const ControlSpec> mainControls();

class MainWindowView : public Form, public MainView {
 public:
  explicit MainWindowView(Reporter& reporter) : reporter_(reporter) {}
  // Its own WM_DESTROY (timers, mark, quit request) runs while it is whole.
  ~MainWindowView() override { destroy(); }

  // Creates the window hidden, class "ThunderRT6FormDC", design caption "TavoNS".
  bool create(HINSTANCE instance);
  void attach(MainWindow& logic) { logic_ = &logic; }

  // Start-up: hidden, its left edge at minus its own width.
  void park();
  // Start-up's last step: shown minimised, then hidden. That first resize is
  // the one the window ignores; a later restore brings it back centred.
  void settle();

  // cmdToSet: 0 opens the exclusion-roster dialog, 1 the details dialog.
  // The dialogs install themselves here; without them the buttons do nothing.
  std::function<void(int index)> openSettingsDialogHook;

  // Window timers on the main window. tmrMain's handler runs the caption cycle.
  void setTimerHandler(UINT_PTR id, std::function<void()> handler) { timers_[id] = std::move(handler); }
  void startTimer(UINT_PTR id, UINT milliseconds);
  void stopTimer(UINT_PTR id);

  // MainView
  void setCaption(std::u16string_view caption) override { Form::setCaption(caption); }
  bool isMinimized() override;
  double screenWidthTwips() override;
  double screenHeightTwips() override;
  double windowWidthTwips() override;
  double windowHeightTwips() override;
  void moveTo(long leftTwips, long topTwips) override;
  void minimizeAndHide() override;
  void close() override;
  void showChoices(const MainChoices& choices) override;
  void setTimerInterval(int milliseconds) override { startTimer(kMainTimerId, static_cast<UINT>(milliseconds)); }
  void openSettingsDialog(int index) override;

 protected:
  bool onKeyDown(unsigned vk, int shift) override;
  void onCommand(int id, int code) override;
  std::optional<LRESULT> onMessage(UINT m, WPARAM wp, LPARAM lp) override;

 private:
  // Runs an event of the logic; nothing may unwind into the system.
  template <class F>
  void event(std::u16string_view location, F&& f);
  void unload();

  Reporter& reporter_;
  MainWindow* logic_ = nullptr;
  std::map<UINT_PTR, std::function<void()>> timers_;
  bool loaded_ = false;    // resize events reach the logic only after start-up
  bool unloaded_ = false;  // Form_Unload runs once, whatever closes the window
};

}  // namespace tavo::win32
