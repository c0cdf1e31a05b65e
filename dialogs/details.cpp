#include "dialogs/details.h"

#include <cmath>
#include <string_view>

#include "base/text.h"
#include "main/cycle.h"
#include "main/startup.h"
#include "settings/convert.h"
#include "settings/keys.h"

namespace tavo {

using namespace std::literals;
using namespace details;

namespace {

constexpr auto kChimeFilter = u"WaveFile (*.wav)\0*.WAV\0\0"sv;
constexpr auto kCallMeFilter =
    u"Wave (*.wav)\0*.WAV\0Executable (*.exe;.com;.bat)\0*.EXE;*.COM;*.BAT\0All Files (*.*)\0*.*\0\0"sv;

std::u16string flagText(std::uint8_t value) { return decimal(value); }

}  // namespace

std::int16_t IsWholeNumber(std::u16string_view text) {
  if (text.empty()) return 0;
  for (char16_t c : text)
    if (c < u'0' || c > u'9') return 0;
  return 1;
}

namespace details {

std::u16string normalized(int index, std::u16string_view text) {
  if (index != kCount && index != kHour && index != kMinute) return std::u16string(text);
  if (!isNumeric(text)) return u"10";
  if (index == kCount) return std::u16string(text);
  const double limit = index == kHour ? 23 : 59;
  const double n = std::nearbyint(toNumber(text));  // to even, as the whole-number conversion rounds
  if (n > limit) return zeroPadded(static_cast<std::int64_t>(std::fmod(n, limit + 1)), 2);
  // Two characters stay as typed, so "-5" survives here and is caught by OK.
  if (text.size() == 2 || n < -1e15) return std::u16string(text);
  return zeroPadded(static_cast<std::int64_t>(n), 2);
}

}  // namespace details

DetailsDialog::DetailsDialog(Settings& settings, AppState& state, Reporter& reporter, FileOpenDialog& files)
    : settings_(settings), state_(state), reporter_(reporter), files_(files) {}

void DetailsDialog::open() {
  Scope scope(reporter_, kOpenLocation);
  scope.step([&] { LoadAlarmSet(settings_, state_); });
  LoadDetails();
  if (state_.plugInFlags.tavoXX == 1)
    for (int i = kSecond; i <= k24h; ++i) chkShow_[i].enabled = false;
}

void DetailsDialog::LoadDetails() {
  Scope scope(reporter_, kOpenLocation);
  // A stored flag that is no number is reported and shown as its default;
  // any number but 1 is off, as everywhere else in Tavo.
  const auto flag = [&](const KeyDef& key) -> std::uint8_t {
    try {
      return readInteger(settings_, key) == 1 ? 1 : 0;
    } catch (const Error& e) {
      scope.report(e);
      return key.fallback == u"1" ? 1 : 0;
    }
  };
  // The order matters: each box's click behaviour runs as it is set.
  setShow(k24h, flag(keys::k24h));
  const std::u16string& time = state_.alarmTime;
  txtEtc_[kMinute] = time.size() > 2 ? time.substr(time.size() - 2) : time;
  txtEtc_[kHour] = time.substr(0, 2);
  setEtc(kAlarm, state_.alarmOn == 1 ? 1 : 0);
  txtEtc_[kMessage] = state_.alarmMessage;
  setEtc(kPika, flag(keys::kTimePika));
  setEtc(kFuru, flag(keys::kTimeFuru));
  scope.step([&] { txtEtc_[kCount] = readText(settings_, keys::kTimeFuruCount); });
  setEtc(kHato, flag(keys::kPipoHato));
  setEtc(kPipo, flag(keys::kTimePipo));
  setShow(kSecond, flag(keys::kShowSecond));
  setShow(kDate, flag(keys::kShowDate));
  setShow(kDay, flag(keys::kShowDay));
  setShow(kYear, flag(keys::kShowYear));
  // A separator other than 0 or 1 shows unchecked but stays in force until
  // the user clicks the box, as the main window does with its clock side.
  if (state_.equalSeparate <= 1)
    setShow(kEqual, state_.equalSeparate);
  else
    chkShow_[kEqual].value = 0;
  setEtc(kOverlay, flag(keys::kOverlay));
}

void DetailsDialog::setShow(int index, std::uint8_t value) {
  if (chkShow_[index].value == value) return;
  chkShow_[index].value = value;
  // The joiner is in force for the caption clock at once; the others wait for OK.
  if (index == kEqual) state_.equalSeparate = value;
}

void DetailsDialog::setEtc(int index, std::uint8_t value) {
  if (chkEtc_[index].value == value) return;
  chkEtc_[index].value = value;
  switch (index) {
    case kFuru:
      if (value == 1 && txtEtc_[kCount].empty()) txtEtc_[kCount] = u"10";
      break;
    case kPipo:
      chkEtc_[kHato].enabled = value == 1;
      cmdWavSetEnabled_[kChime] = value == 1;
      break;
    case kAlarm:
      state_.alarmOn = value;
      if (value == 1) {
        if (txtEtc_[kHour].empty()) txtEtc_[kHour] = u"12";
        if (txtEtc_[kMinute].empty()) txtEtc_[kMinute] = u"00";
      }
      break;
    default:
      break;
  }
}

void DetailsDialog::txtEtc_LostFocus(int index) { txtEtc_[index] = normalized(index, txtEtc_[index]); }

void DetailsDialog::cmdSet_Click(int index) {
  Scope scope(reporter_, kSetLocation);
  if (index != 0) {
    // Cancel: the boxes changed alarmOn and equalSeparate in memory; the stored values come back.
    scope.step([&] { LoadAlarmSet(settings_, state_); });
    closed_ = true;
    return;
  }
  // Enter presses OK while the hour or minute box may still have the focus:
  // check what leaving the box would have made of it, or an hour of "25"
  // would be stored as an alarm time that never comes.
  txtEtc_LostFocus(kHour);
  txtEtc_LostFocus(kMinute);
  txtEtc_[kCount] = std::u16string(trimBlanks(txtEtc_[kCount]));
  if (IsWholeNumber(txtEtc_[kCount]) == 0) {
    setEtc(kFuru, 0);
    txtEtc_[kCount] = u"10";
    reporter_.boxes().show(kBadCountText, kErrorTitle, kBadValueFlags);
  }
  if ((IsWholeNumber(txtEtc_[kHour]) & IsWholeNumber(txtEtc_[kMinute])) == 0) {
    setEtc(kAlarm, 0);
    state_.alarmOn = 0;
    txtEtc_[kHour] = u"12";
    txtEtc_[kMinute] = u"00";
    reporter_.boxes().show(kBadTimeText, kErrorTitle, kBadValueFlags);
  }
  SaveDetails(scope);
  if (state_.plugInFlags.tavoXX == 0)
    scope.step([&] { state_.clockPattern = GetStdFormat(settings_, readByte(settings_, keys::kUserTaste)); });
  closed_ = true;
}

void DetailsDialog::SaveDetails(Scope& scope) {
  // One failed write must not keep the others from the store.
  const auto save = [&](const KeyDef& key, std::u16string_view value) {
    scope.step([&] { saveText(settings_, key, value); });
  };
  save(keys::kEqualSeparate, decimal(state_.equalSeparate));
  save(keys::k24h, flagText(chkShow_[k24h].value));
  save(keys::kShowDate, flagText(chkShow_[kDate].value));
  save(keys::kShowDay, flagText(chkShow_[kDay].value));
  save(keys::kShowSecond, flagText(chkShow_[kSecond].value));
  save(keys::kShowYear, flagText(chkShow_[kYear].value));
  save(keys::kTimePika, flagText(chkEtc_[kPika].value));
  save(keys::kTimeFuru, flagText(chkEtc_[kFuru].value));
  save(keys::kTimeFuruCount, txtEtc_[kCount]);
  save(keys::kTimePipo, flagText(chkEtc_[kPipo].value));
  save(keys::kPipoHato, flagText(chkEtc_[kHato].value));
  save(keys::kAlarm, decimal(state_.alarmOn));
  state_.alarmTime = txtEtc_[kHour] + u":" + txtEtc_[kMinute];
  save(keys::kAlarmTime, state_.alarmTime);
  state_.alarmMessage = txtEtc_[kMessage];
  save(keys::kAlarmMessage, state_.alarmMessage);
  state_.overlay = chkEtc_[kOverlay].value;
  save(keys::kOverlay, flagText(state_.overlay));
}

BrowseRequest DetailsDialog::request(std::u16string_view filter, std::u16string_view path,
                                     std::u16string_view title) const {
  return BrowseRequest{window_, instance_, std::u16string(filter), std::u16string(path), std::u16string(title)};
}

void DetailsDialog::cmdWavSet_Click(int index) {
  Scope scope(reporter_, kWavSetLocation);
  if (index == kChime)
    browseChime(scope);
  else
    browseCallMe(scope);
}

void DetailsDialog::browseChime(Scope& scope) {
  std::u16string stored;
  scope.step([&] { stored = readText(settings_, keys::kWaveFilePath1); });
  BrowseRequest req = request(kChimeFilter, stored, u"ファイルの参照 - ぴぽんと");
  if (GetBrowsePath(req, files_, reporter_) != 0) {
    scope.step([&] { saveText(settings_, keys::kWaveFilePath1, req.path); });
    return;
  }
  // The stored file stays; the unchecked box reaches the store only through OK.
  if (reporter_.boxes().show(u"ぴぽんとを OFF にしますか?", u"ぴぽんと", kQuestionFlags) == mb::kIdYes)
    setEtc(kPipo, 0);
}

void DetailsDialog::browseCallMe(Scope& scope) {
  std::u16string stored;
  scope.step([&] { stored = readText(settings_, keys::kWaveFilePath2); });
  BrowseRequest req = request(kCallMeFilter, stored, u"ファイルの参照 - Call Me");
  if (GetBrowsePath(req, files_, reporter_) != 0) {
    scope.step([&] { saveText(settings_, keys::kWaveFilePath2, req.path); });
    return;
  }
  if (reporter_.boxes().show(u"Call Me 機能を OFF にしますか?", u"Call Me", kQuestionFlags) == mb::kIdYes)
    scope.step([&] { saveText(settings_, keys::kWaveFilePath2, u""); });
}

}  // namespace tavo
