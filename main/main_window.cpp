#include "main/main_window.h"

#include <cmath>
#include <limits>
#include <utility>

#include "base/text.h"
#include "format/xxformat.h"
#include "main/launch.h"
#include "main/startup.h"
#include "settings/keys.h"

namespace tavo {

namespace {

constexpr std::u16string_view kCloseSwitch = u"/x";
constexpr std::u16string_view kAboutDescription = u"いま前面にあるウィンドウのタイトルバーに時計を表示する常駐ソフトです。";
constexpr std::u16string_view kAboutLastLine = u"Copyright (C) Tavo 開発チーム";

constexpr std::int16_t kIntervals[] = {50, 250, 1000};

int intervalIndex(std::int16_t interval) {
  for (int i = 0; i < 3; ++i)
    if (kIntervals[i] == interval) return i;
  return 1;
}

// Round to the nearest whole twip as a long; what does not fit overflows.
long wholeTwips(double value) {
  const double rounded = std::nearbyint(value);
  if (!(rounded >= static_cast<double>(std::numeric_limits<std::int32_t>::min()) &&
        rounded <= static_cast<double>(std::numeric_limits<std::int32_t>::max())))
    raise(err::kOverflow);
  return static_cast<long>(rounded);
}

}  // namespace

// ---------------------------------------------------------------------------
// Start-up hand-over

std::u16string normalizedCommand(std::u16string_view commandText) { return lowerAscii(trimBlanks(commandText)); }

StartDecision decideStart(std::u16string_view commandText, bool anotherRunning, WindowHandle otherWindow) {
  const bool closeSwitch = normalizedCommand(commandText) == kCloseSwitch;
  if (!anotherRunning) return {closeSwitch ? StartAction::End : StartAction::Run, 0};
  if (otherWindow == 0) return {StartAction::End, 0};
  return {closeSwitch ? StartAction::CloseOther : StartAction::ShowOther, otherWindow};
}

StartDecision decideStart(std::u16string_view commandText, Host& host, Desktop& desktop) {
  const bool another = host.anotherInstanceRunning();
  WindowHandle other = another ? desktop.findWindow(kMainWindowClass, kMainCaption) : 0;
  if (another && !other) other = desktop.findMarkedWindow(kMainWindowClass, kMainWindowMark);
  return decideStart(commandText, another, other);
}

bool handOver(const StartDecision& decision, Desktop& desktop, OtherInstance& other) {
  switch (decision.action) {
    case StartAction::Run:
      return true;
    case StartAction::CloseOther:
      other.postClose(decision.other);
      return false;
    case StartAction::ShowOther:
      other.showNormal(decision.other);
      SetWindowTop(desktop, decision.other, 0, 1);
      return false;
    case StartAction::End:
      return false;
  }
  return false;
}

void SetWindowTop(Desktop& desktop, WindowHandle w, WindowHandle insertAfter, int flag) {
  desktop.setWindowPos(w, insertAfter, 0, 0, swp::kNoSize | swp::kNoMove | swp::kShowWindow);
  if (flag == 1) desktop.setForegroundWindow(w);
}

// ---------------------------------------------------------------------------
// Shared procedures

std::u16string GetAppDir(Host& host) {
  std::u16string dir = host.programDirectory();
  if (!dir.ends_with(u'\\')) dir += u'\\';
  return dir;
}

std::u16string helpCommand(Host& host) { return u"\"" + GetAppDir(host) + u"TavoHELP\\index.html\""; }

void ShowHelp(Host& host, Sound& sound, Shell& shell, Reporter& reporter) {
  PlayAlarmFile(helpCommand(host), sound, shell, reporter);
}

bool isHelpKey(int keyCode, int shift) {
  return keyCode == kKeyF1 && (shift & (kShiftMask | kCtrlMask | kAltMask)) == 0;
}

TwipPoint centredPosition(double screenWidthTwips, double screenHeightTwips, double windowWidthTwips,
                          double windowHeightTwips) {
  // Integer division truncates toward zero, also for a window larger than the screen.
  return {wholeTwips(screenWidthTwips - windowWidthTwips) / 2, wholeTwips(screenHeightTwips - windowHeightTwips) / 2};
}

std::u16string aboutText(const Version& version, const PlugInFlags& flags) {
  std::u16string text = u"Tavo " + versionText(version);
  if (flags.hideout == 1) text += u'H';
  if (flags.tavoTT == 1) text += u'T';
  if (flags.tavoXX == 1) text += u'X';
  if (flags.tavoCt == 1) text += u'C';
  text += u"\r\n";
  text += kAboutDescription;
  text += u"\r\n\r\n";
  text += kAboutLastLine;
  return text;
}

// ---------------------------------------------------------------------------
// The window

MainWindow::MainWindow(MainView& view, AppState& state, Settings& settings, Reporter& reporter, Host& host,
                       Sound& sound, Shell& shell, CaptionCycle& cycle)
    : view_(view),
      state_(state),
      settings_(settings),
      reporter_(reporter),
      host_(host),
      sound_(sound),
      shell_(shell),
      cycle_(cycle) {}

void MainWindow::Form_Load() {
  Scope scope(reporter_, kStartupLocation);
  scope.step([&] { view_.setCaption(kMainCaption); });
  const MainSet stored = LoadMainSet(kStartupLocation);
  LoadAlarmSet(settings_, state_, scope);
  scope.step([&] { LoadWList(settings_, state_); });
  state_.plugInFlags = GetPlugIn(settings_, scope);
  if (state_.plugInFlags.tavoXX == 0) {
    // The taste as stored, even one that names no option: a taste of 2 is
    // how a companion program or a user asks for the time without a date.
    if (auto pattern = standardPattern(settings_, stored.storedTaste, scope)) state_.clockPattern = std::move(*pattern);
  } else {
    scope.step([&] { state_.clockPattern = GetXXF(settings_, reporter_); });
    choices_.tasteEnabled = false;
    scope.step([&] { view_.showChoices(choices_); });
  }
  state_.overlay = readOverlay(settings_, scope);
}

MainSet MainWindow::LoadMainSet(std::u16string_view location) {
  Scope scope(reporter_, location);
  const MainSet stored = readMainSet(settings_, scope);
  state_.clockRight = stored.clockRight;
  state_.checkInterval = stored.checkInterval;
  choices_.interval = intervalIndex(stored.checkInterval);
  timerInterval_ = stored.checkInterval;
  scope.step([&] { view_.setTimerInterval(timerInterval_); });
  choices_.taste = stored.taste;
  // The check box is ticked for 1 only; the stored value itself stays in
  // force, so one other than 0 or 1 keeps every title free of the clock
  // until the user clicks the box.
  choices_.right = stored.clockRight == 1;
  scope.step([&] { view_.showChoices(choices_); });
  return stored;
}

void MainWindow::SaveMainSet(Scope& scope) {
  scope.step([&] { saveText(settings_, keys::kClockRight, decimal(state_.clockRight)); });
  scope.step([&] { saveText(settings_, keys::kCheckInterval, decimal(state_.checkInterval)); });
  scope.step([&] { saveText(settings_, keys::kUserTaste, choices_.taste == 0 ? u"0" : u"1"); });
}

void MainWindow::Form_Resize() {
  Scope scope(reporter_, kResizeLocation);
  if (firstResize_ != 1) {
    firstResize_ = 1;
    return;
  }
  scope.step([&] { view_.setCaption(kMainCaption); });
  if (scope.test([&] { return view_.isMinimized(); })) return;
  scope.step([&] {
    const TwipPoint at = centredPosition(view_.screenWidthTwips(), view_.screenHeightTwips(),
                                         view_.windowWidthTwips(), view_.windowHeightTwips());
    view_.moveTo(at.left, at.top);
  });
}

void MainWindow::Form_Unload() {
  Scope scope(reporter_, kUnloadLocation);
  // Leave no frozen clock behind in the window that carries it.
  scope.step([&] { cycle_.restoreCurrent(); });
  scope.step([&] { saveText(settings_, keys::kTavoDirPath, GetAppDir(host_)); });
  scope.step([&] { saveText(settings_, keys::kVersion, versionText(host_.version())); });
}

void MainWindow::Form_KeyDown(int keyCode, int shift) {
  if (isHelpKey(keyCode, shift)) ShowHelp();
}

void MainWindow::cmdMain_Click(int index) {
  Scope scope(reporter_, kMainButtonLocation);
  switch (index) {
    case 0: {  // OK
      scope.step([&] { view_.minimizeAndHide(); });
      SaveMainSet(scope);
      if (state_.plugInFlags.tavoXX != 0) break;
      std::uint8_t taste = 0;
      scope.step([&] { taste = readByte(settings_, keys::kUserTaste); });
      if (auto pattern = standardPattern(settings_, taste, scope)) state_.clockPattern = std::move(*pattern);
      break;
    }
    case 1:  // Cancel
      scope.step([&] { view_.minimizeAndHide(); });
      LoadMainSet(kMainButtonLocation);
      break;
    case 2:
      about(scope);
      break;
    case 3:
      scope.step([&] { view_.close(); });
      break;
    case 4:
      ShowHelp();
      break;
    default:
      break;
  }
}

void MainWindow::about(Scope& scope) {
  // Hideout and TavoTT afresh: a companion may have been installed since the start.
  const PlugInFlags fresh = GetPlugIn(settings_, scope);
  PlugInFlags shown = state_.plugInFlags;
  shown.hideout = fresh.hideout;
  shown.tavoTT = fresh.tavoTT;
  scope.step([&] {
    reporter_.boxes().show(aboutText(host_.version(), shown), kAboutTitle, mb::kOk | mb::kIconInformation);
  });
}

void MainWindow::cmdToSet_Click(int index) {
  Scope scope(reporter_, kToSetLocation);
  scope.step([&] { view_.openSettingsDialog(index); });
}

void MainWindow::optInterval_Click(int index) {
  if (index < 0 || index > 2) return;
  choices_.interval = index;
  state_.checkInterval = kIntervals[index];
}

void MainWindow::optTaste_Click(int index) {
  if (index == 0 || index == 1) choices_.taste = index;
}

void MainWindow::chkRight_Click(bool ticked) {
  choices_.right = ticked;
  state_.clockRight = ticked ? 1 : 0;
}

void MainWindow::ShowHelp() { tavo::ShowHelp(host_, sound_, shell_, reporter_); }

}  // namespace tavo
