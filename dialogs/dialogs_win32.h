#pragma once
// The settings dialogs on Win32, opened by the main window's two dialog
// buttons (cmdToSet 0: the roster dialog, 1: the details dialog).
#include <windows.h>

#include <functional>
#include <span>

#include "base/report.h"
#include "main/app_state.h"
#include "platform/ports.h"
#include "platform/win32/ports_win32.h"
#include "platform/win32/view_win32.h"
#include "settings/store.h"

namespace tavo::win32 {

struct DialogContext {
  HINSTANCE instance = nullptr;
  HWND mainWindow = nullptr;
  Settings& settings;
  AppState& state;
  Reporter& reporter;
  Desktop& desktop;
  // Message boxes are owned by the open dialog, so that it waits for them.
  Win32Prompt& prompt;
  std::function<void()> showHelp;
};

// "詳細(&S)": reloads the alarm settings, then frmSet modally. Errors of the
// opening are reported under "frmMain!cmdToSet.Click".
void openDetailsDialog(const DialogContext& context);

// "あの子嫌い(&B)": the main window minimised while frmWSet runs modally,
// restored afterwards.
void openRosterDialog(const DialogContext& context);

// Control ids, for tests and the end-to-end driver. A control array's
// indexes follow one another.
namespace details_id {
inline constexpr int kFraShow = 200;   // fraSet 1 "表示"
inline constexpr int kFraEtc = 201;    // fraSet 0 "その他"
inline constexpr int kChkShow = 210;   // 210..215
inline constexpr int kChkEtc = 220;    // 220..225
inline constexpr int kTxtEtc = 230;    // 230..233
inline constexpr int kLblEtc = 240;    // 240..243
inline constexpr int kCmdWavSet = 250;  // 250, 251
inline constexpr int kCmdSet = 260;    // 260 OK, 261 Cancel
}  // namespace details_id

namespace roster_id {
inline constexpr int kLblWSet = 300;
inline constexpr int kLstWSet = 301;
inline constexpr int kCmdWSet = 310;  // 310..312
}  // namespace roster_id

inline constexpr int kDetailsClientWidthTwips = 5172;
inline constexpr int kDetailsClientHeightTwips = 4452;
inline constexpr int kRosterClientWidthTwips = 4572;
inline constexpr int kRosterClientHeightTwips = 2472;
inline constexpr double kDetailsTextPoints = 11.4;

// Places a window in the middle of the work area of the monitor it is on.
void centreOnWorkArea(HWND window);

std::span<const ControlSpec> detailsControls();
std::span<const ControlSpec> rosterControls();

}  // namespace tavo::win32
