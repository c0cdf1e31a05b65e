#include "dialogs/roster.h"

#include "main/cycle.h"
#include "settings/keys.h"

namespace tavo {

using namespace roster;

void SaveSet3(Settings& settings, const std::vector<std::u16string>& list, std::size_t previousCount,
              Reporter& reporter) {
  Scope scope(reporter, kSaveLocation);
  for (std::size_t i = 0; i < list.size(); ++i)
    scope.step([&] { settings.save(kSectionMain, windowListKey(static_cast<int>(i)), list[i]); });
  // No stale entry may follow the last one.
  for (std::size_t i = list.size(); i < previousCount; ++i)
    scope.step([&] { settings.remove(kSectionMain, windowListKey(static_cast<int>(i))); });
}

RosterDialog::RosterDialog(Settings& settings, AppState& state, Reporter& reporter, Desktop& desktop,
                           RosterWindow& window)
    : settings_(settings), state_(state), reporter_(reporter), desktop_(desktop), window_(window) {}

void RosterDialog::Form_Load() {
  list_.assign(state_.roster.rbegin(), state_.roster.rend());
  selected_ = -1;
}

void RosterDialog::Form_Resize() {
  const WindowHandle self = window_.handle();
  desktop_.setWindowPos(self, swp::kTopmost, 0, 0, swp::kShowWindow | swp::kNoMove | swp::kNoSize);
  desktop_.setForegroundWindow(self);
}

void RosterDialog::cmdWSet_Click(int index) {
  Scope scope(reporter_, kButtonLocation);
  switch (index) {
    case 0:
      if (list_.size() >= kFollowLimit) {
        following_ = false;
        window_.setTimer(false);
        reporter_.boxes().show(kFullText, kTitle, kNoticeFlags);
        return;
      }
      following_ = true;
      window_.minimize();
      window_.setTimer(true);
      return;
    case 1:
      if (selected_ >= 0 && static_cast<std::size_t>(selected_) < list_.size()) {
        list_.erase(list_.begin() + selected_);
        selected_ = -1;
      }
      return;
    case 2:
      scope.step([&] { SaveSet3(settings_, list_, state_.rosterCount(), reporter_); });
      scope.step([&] { LoadWList(settings_, state_); });
      closed_ = true;
      return;
    default:
      return;
  }
}

void RosterDialog::tmrWSet_Timer() {
  following_ = false;
  window_.setTimer(false);
  // Whatever is in front when the delay ends is sampled, Tavo's own windows included.
  const WindowHandle sampled = desktop_.foregroundWindow();
  window_.restore();
  std::u16string name = desktop_.className(sampled);
  if (!name.empty()) {
    list_.push_back(std::move(name));
    reporter_.boxes().show(kAddedText, kTitle, kNoticeFlags);
  } else {
    window_.setTimer(false);
    reporter_.boxes().show(kFailedText, kTitle, kNoticeFlags);
  }
}

}  // namespace tavo
