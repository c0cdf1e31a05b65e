#pragma once
// The details dialog frmSet ("詳細") without its window: the state of every
// control it changes, and what its events do with the store and the
// in-memory settings. The view draws this state and forwards the events.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/report.h"
#include "dialogs/browse.h"
#include "main/app_state.h"
#include "settings/store.h"

namespace tavo {

// Whole number as the dialog understands it: digits only. A sign, a decimal
// point, a blank or an exponent would reach the store as a count or an alarm
// time that the rest of Tavo misreads. 1 when it passes, else 0.
std::int16_t IsWholeNumber(std::u16string_view text);

namespace details {

// Indexes of the control arrays.
enum Show { kSecond = 0, kDate = 1, kDay = 2, kYear = 3, k24h = 4, kEqual = 5 };
enum Etc { kPika = 0, kFuru = 1, kPipo = 2, kHato = 3, kAlarm = 4, kOverlay = 5 };
enum Txt { kCount = 0, kHour = 1, kMinute = 2, kMessage = 3 };
enum WavSet { kChime = 0, kCallMe = 1 };

inline constexpr std::u16string_view kOpenLocation = u"frmMain!cmdToSet.Click";
inline constexpr std::u16string_view kSetLocation = u"frmSet!cmdSet_Click";
inline constexpr std::u16string_view kWavSetLocation = u"frmSet!cmdWavSet_Click";

inline constexpr std::u16string_view kErrorTitle = u"エラー - Tavo";
inline constexpr std::u16string_view kBadCountText =
    u"ふるふる回数が正常に設定されていません。ふるふるをOFFにします。\r\n\r\n"
    u"<Hint!> 回数は整数（例 9）で設定しましたか?";
inline constexpr std::u16string_view kBadTimeText =
    u"アラーム時刻が正常に設定されていません。アラームをOFFにします。\r\n\r\n"
    u"<Hint!> 時刻は 24h制 の 数字2桁（例 06:18）で設定しましたか?";
inline constexpr unsigned kBadValueFlags = mb::kOk | mb::kIconExclamation | mb::kSystemModal;
inline constexpr unsigned kQuestionFlags = mb::kYesNo | mb::kIconQuestion | mb::kDefButton2;

struct CheckBox {
  std::uint8_t value = 0;
  bool enabled = true;
};

// The text a box shows after the user leaves it: count (0), hour (1) and
// minute (2) are normalised, the message box (3) is left alone.
std::u16string normalized(int index, std::u16string_view text);

}  // namespace details

class DetailsDialog {
 public:
  DetailsDialog(Settings& settings, AppState& state, Reporter& reporter, FileOpenDialog& files);

  // Window and program handles for the file-open dialog's owner.
  void setWindow(WindowHandle window, std::uintptr_t instance) {
    window_ = window;
    instance_ = instance;
  }

  // What the opening button does before the dialog shows: reloads the alarm
  // settings into memory, loads the dialog and, with the extended format in
  // force, disables the standard format's boxes. Errors are reported under
  // the button's location and the opening goes on.
  void open();
  // Fills the controls from the store and the in-memory settings.
  void LoadDetails();

  // A check box changes its value (by the user or from code); a real change
  // runs the box's click behaviour.
  void setShow(int index, std::uint8_t value);
  void setEtc(int index, std::uint8_t value);
  // A click by the user toggles the box.
  void clickShow(int index) { setShow(index, chkShow_[index].value == 1 ? 0 : 1); }
  void clickEtc(int index) { setEtc(index, chkEtc_[index].value == 1 ? 0 : 1); }

  // The user edited a text box.
  void setText(int index, std::u16string text) { txtEtc_[index] = std::move(text); }
  void txtEtc_LostFocus(int index);

  // 0: OK (checks, saves, closes); 1: Cancel (reloads the alarm settings, closes).
  void cmdSet_Click(int index);
  // 0: chime file, 1: "Call Me" file; both store the choice at once.
  void cmdWavSet_Click(int index);
  // The window's close command: nothing is saved or reloaded.
  void close() { closed_ = true; }

  const details::CheckBox& chkShow(int index) const { return chkShow_[index]; }
  const details::CheckBox& chkEtc(int index) const { return chkEtc_[index]; }
  const std::u16string& txtEtc(int index) const { return txtEtc_[index]; }
  bool cmdWavSetEnabled(int index) const { return cmdWavSetEnabled_[index]; }
  bool closed() const { return closed_; }

 private:
  void SaveDetails(Scope& scope);
  void browseChime(Scope& scope);
  void browseCallMe(Scope& scope);
  BrowseRequest request(std::u16string_view filter, std::u16string_view path, std::u16string_view title) const;

  Settings& settings_;
  AppState& state_;
  Reporter& reporter_;
  FileOpenDialog& files_;
  WindowHandle window_ = 0;
  std::uintptr_t instance_ = 0;

  // As the dialog is designed, before anything is loaded.
  std::array<details::CheckBox, 6> chkShow_{{{0, true}, {1, true}, {0, true}, {0, true}, {1, true}, {1, true}}};
  std::array<details::CheckBox, 6> chkEtc_{{{1, true}, {0, true}, {0, true}, {0, false}, {0, true}, {1, true}}};
  std::array<std::u16string, 4> txtEtc_;
  std::array<bool, 2> cmdWavSetEnabled_{false, true};
  bool closed_ = false;
};

}  // namespace tavo
