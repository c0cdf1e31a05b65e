#pragma once
// The exclusion roster dialog frmWSet ("あの子嫌い！") without its window:
// the list being edited, following the foreground window, and storing.
#include <string>
#include <string_view>
#include <vector>

#include "base/report.h"
#include "main/app_state.h"
#include "platform/ports.h"
#include "settings/store.h"

namespace tavo {

namespace roster {
inline constexpr std::u16string_view kButtonLocation = u"frmWSet!cmdWSet.Click";
inline constexpr std::u16string_view kSaveLocation = u"frmWSet!SaveSet3";
inline constexpr std::u16string_view kTitle = u"あの子嫌い";
inline constexpr std::u16string_view kFullText = u"これ以上嫌いな子をつくっちゃだめよっ";
inline constexpr std::u16string_view kAddedText = u"名簿に登録しました";
inline constexpr std::u16string_view kFailedText = u"失敗しちゃった";
inline constexpr unsigned kNoticeFlags = mb::kOk | mb::kIconInformation | mb::kSystemModal;
inline constexpr int kFollowDelayMs = 5250;
// Following is refused from this many entries on.
inline constexpr std::size_t kFollowLimit = 50;
}  // namespace roster

// What the logic asks of the dialog's own window.
class RosterWindow {
 public:
  virtual ~RosterWindow() = default;
  virtual WindowHandle handle() = 0;
  virtual void minimize() = 0;
  // Back to the normal state; the window's resize handling runs from here.
  virtual void restore() = 0;
  // The one-shot follow delay (tmrWSet).
  virtual void setTimer(bool enabled) = 0;
};

// Writes the list as WindowList0.. top to bottom and deletes the keys of
// entries beyond it up to the previous count. A failed key is reported and
// the others are still written.
void SaveSet3(Settings& settings, const std::vector<std::u16string>& list, std::size_t previousCount,
              Reporter& reporter);

class RosterDialog {
 public:
  RosterDialog(Settings& settings, AppState& state, Reporter& reporter, Desktop& desktop, RosterWindow& window);

  // Fills the list from the in-memory roster, last entry first.
  void Form_Load();
  // Every resize, the first display included: topmost and in front.
  void Form_Resize();

  // 0: start following, 1: remove the selected entry, 2: OK.
  void cmdWSet_Click(int index);
  // The follow delay has run out.
  void tmrWSet_Timer();
  // The window's close command: nothing is stored.
  void close() { closed_ = true; }

  // The view tells which entry is selected (-1: none).
  void select(int index) { selected_ = index; }
  int selected() const { return selected_; }
  const std::vector<std::u16string>& list() const { return list_; }
  bool following() const { return following_; }
  bool closed() const { return closed_; }

 private:
  Settings& settings_;
  AppState& state_;
  Reporter& reporter_;
  Desktop& desktop_;
  RosterWindow& window_;
  std::vector<std::u16string> list_;
  int selected_ = -1;
  bool following_ = false;
  bool closed_ = false;
};

}  // namespace tavo
