#pragma once
// The main window frmMain as logic: the start-up hand-over between two
// instances, the user's choices that live in the window, its buttons, keys,
// resizing and unloading. A thin Win32 view creates the controls, forwards
// their events here and carries out what this class asks through MainView.
#include <cstdint>
#include <string>
#include <string_view>

#include "base/report.h"
#include "main/app_state.h"
#include "main/cycle.h"
#include "main/startup.h"
#include "platform/ports.h"
#include "settings/store.h"

namespace tavo {

// A second Tavo finds the first by this class and title.
inline constexpr std::u16string_view kMainWindowClass = u"ThunderRT6FormDC";
inline constexpr std::u16string_view kMainCaption = u"Tavo";
// While the main window is in front the clock decorates its title too, and
// the title no longer matches; the window also carries this property.
inline constexpr std::u16string_view kMainWindowMark = u"Tavo.MainWindow";

inline constexpr std::u16string_view kResizeLocation = u"frmMain_Resize";
inline constexpr std::u16string_view kUnloadLocation = u"frmMain_Unload";
inline constexpr std::u16string_view kToSetLocation = u"frmMain!cmdToSet.Click";
// The five buttons share one place for their errors (a store that cannot be
// written, a stored value that is no number): reported, and the click goes on.
inline constexpr std::u16string_view kMainButtonLocation = u"frmMain!cmdMain.Click";

inline constexpr std::u16string_view kAboutTitle = u"Tavo のバージョン情報";

// ---------------------------------------------------------------------------
// Start-up hand-over (before anything is read from the settings store)

enum class StartAction {
  Run,         // no other instance: this one loads its settings and runs
  CloseOther,  // "/x": post WM_CLOSE (wParam 0, lParam 0) to `other`, then end
  ShowOther,   // ShowWindow(other, SW_SHOWNORMAL), SetWindowTop(other, 0, 1), then end
  End,         // end at once (other instance without a window, or "/x" alone)
};

struct StartDecision {
  StartAction action = StartAction::Run;
  WindowHandle other = 0;  // the first instance's main window, when found
};

// The command text as it is compared: blanks trimmed, lower case.
std::u16string normalizedCommand(std::u16string_view commandText);

// Decides from the command text, whether another instance runs, and its
// window (looked up only when another instance runs).
StartDecision decideStart(std::u16string_view commandText, bool anotherRunning, WindowHandle otherWindow);

// The same, asking the host and the desktop. Never touches the settings.
StartDecision decideStart(std::u16string_view commandText, Host& host, Desktop& desktop);

// The two things a second instance does to the first one's window that the
// desktop port does not offer.
class OtherInstance {
 public:
  virtual ~OtherInstance() = default;
  virtual void postClose(WindowHandle w) = 0;   // PostMessage WM_CLOSE, 0, 0
  virtual void showNormal(WindowHandle w) = 0;  // ShowWindow SW_SHOWNORMAL
};

// Carries out a decision. Returns true when this instance goes on to load
// its settings, false when it must end now.
bool handOver(const StartDecision& decision, Desktop& desktop, OtherInstance& other);

// SetWindowPos(w, insertAfter, 0, 0, 0, 0, NOSIZE | NOMOVE | SHOWWINDOW),
// then SetForegroundWindow(w) only when flag is 1.
void SetWindowTop(Desktop& desktop, WindowHandle w, WindowHandle insertAfter, int flag);

// ---------------------------------------------------------------------------
// Small shared procedures

// The program directory, always ending in "\".
std::u16string GetAppDir(Host& host);

// The command line that opens the help page: "\"<dir>\TavoHELP\index.html\"".
std::u16string helpCommand(Host& host);

// Opens the help page through PlayAlarmFile (F1 in every window, Help button).
void ShowHelp(Host& host, Sound& sound, Shell& shell, Reporter& reporter);

// Key codes and shift bits as a form's KeyDown event sees them.
inline constexpr int kKeyF1 = 112;
inline constexpr int kShiftMask = 1, kCtrlMask = 2, kAltMask = 4;

// F1 with no Shift, Ctrl or Alt held.
bool isHelpKey(int keyCode, int shift);

// Where a window of the given size sits centred on the screen, in twips:
// each difference rounded to the nearest whole twip (halves to even), then
// halved toward zero.
struct TwipPoint {
  long left = 0, top = 0;
  bool operator==(const TwipPoint&) const = default;
};
TwipPoint centredPosition(double screenWidthTwips, double screenHeightTwips, double windowWidthTwips,
                          double windowHeightTwips);

// The about box text: "Tavo <version><letters>", CR LF, a description,
// CR LF CR LF, a last line. A letter for each plug-in byte that is exactly 1:
// H (Hideout), T (TavoTT), X (TavoXX), C (TavoCt).
std::u16string aboutText(const Version& version, const PlugInFlags& flags);

// ---------------------------------------------------------------------------
// The window

// What the controls show. Option indexes: interval 0 = 50 ms, 1 = 250 ms,
// 2 = 1000 ms; taste 0 = "弱洋風(&A)", 1 = "一般(&N)".
struct MainChoices {
  int interval = 1;
  int taste = 0;
  bool tasteEnabled = true;  // false while the extended pattern is in force
  bool right = false;        // chkRight ticked
  bool operator==(const MainChoices&) const = default;
};

// What the logic asks of the Win32 window. Setting controls from here must
// not come back as click events.
class MainView {
 public:
  virtual ~MainView() = default;
  virtual void setCaption(std::u16string_view caption) = 0;
  virtual bool isMinimized() = 0;
  // Screen and the window's outer size, in twips (the view's one conversion).
  virtual double screenWidthTwips() = 0;
  virtual double screenHeightTwips() = 0;
  virtual double windowWidthTwips() = 0;
  virtual double windowHeightTwips() = 0;
  virtual void moveTo(long leftTwips, long topTwips) = 0;
  // Minimise, then hide (OK and Cancel).
  virtual void minimizeAndHide() = 0;
  // Close the window; the view then calls Form_Unload and ends the program.
  virtual void close() = 0;
  virtual void showChoices(const MainChoices& choices) = 0;
  // The interval of tmrMain in milliseconds; the timer restarts with it.
  virtual void setTimerInterval(int milliseconds) = 0;
  // cmdToSet: 0 the exclusion-roster dialog, 1 the details dialog. May throw
  // Error; it is reported under "frmMain!cmdToSet.Click".
  virtual void openSettingsDialog(int index) = 0;
};

class MainWindow {
 public:
  MainWindow(MainView& view, AppState& state, Settings& settings, Reporter& reporter, Host& host, Sound& sound,
             Shell& shell, CaptionCycle& cycle);

  // Start-up after the hand-over, with the window already hidden and parked:
  // caption, LoadMainSet, LoadAlarmSet, LoadWList, GetPlugIn, the clock
  // pattern, the taste options. A stored value that does not convert is
  // reported once under "frmMain_Load" and its default used. Never throws.
  void Form_Load();

  void Form_Resize();
  void Form_Unload();
  void Form_KeyDown(int keyCode, int shift);

  // 0 OK, 1 Cancel, 2 About, 3 Exit, 4 Help.
  void cmdMain_Click(int index);
  void cmdToSet_Click(int index);
  void optInterval_Click(int index);
  void optTaste_Click(int index);
  void chkRight_Click(bool ticked);

  const MainChoices& choices() const { return choices_; }
  int timerInterval() const { return timerInterval_; }  // what tmrMain runs at

  void ShowHelp();

 private:
  // Reads ClockRight, CheckInterval and UserTaste into memory and the
  // controls; each bad value is reported under `location` and replaced by
  // its default.
  MainSet LoadMainSet(std::u16string_view location);
  void SaveMainSet(Scope& scope);
  void about(Scope& scope);

  MainView& view_;
  AppState& state_;
  Settings& settings_;
  Reporter& reporter_;
  Host& host_;
  Sound& sound_;
  Shell& shell_;
  CaptionCycle& cycle_;

  MainChoices choices_;
  int timerInterval_ = 300;  // the timer's design interval until loaded
  std::uint8_t firstResize_ = 0;
};

}  // namespace tavo
