#include "base/report.h"

#include "base/text.h"
#include "tavo_version.h"

namespace tavo {

namespace {
// The author's contact in the last line of the report.
constexpr std::u16string_view kContact = u"Tavo 開発チーム (tavo@example.org)";
}  // namespace

std::u16string versionText(const Version& v) {
  return decimal(v.major) + u"." + zeroPadded(v.minor, 2) + u"." + zeroPadded(v.revision, 4);
}

Version buildVersion() { return Version{kVersionMajor, kVersionMinor, kVersionRevision}; }

std::u16string xxLocation(std::u16string_view procedure) {
  return std::u16string(procedure) + u"-XXModule";
}

std::u16string errorReportText(std::u16string_view location, const Error& e, const Version& v) {
  std::u16string text = u"エラー番号:" + decimal(e.number);
  text += u"\r\n場所:";
  text += location;
  text += versionText(v);
  text += u"\r\n";
  text += e.description;
  text += u"\r\n上記の説明と、エラーの発生したときの簡単な状況を書いて、\r\n";
  text += kContact;
  text += u" まで連絡してください。";
  return text;
}

std::u16string invalidSettingText(std::u16string_view sentence) {
  return std::u16string(sentence) + u"\r\n初期設定値に戻しました。";
}

int Boxes::show(std::u16string_view text, std::u16string_view title, unsigned flags) {
  ++open_;
  struct Close {
    int& n;
    ~Close() { --n; }
  } close{open_};
  return prompt_.messageBox(text, title, flags);
}

void Reporter::report(std::u16string_view location, const Error& e) {
  auto key = std::make_tuple(std::u16string(location), e.number, e.description);
  if (!shown_.insert(std::move(key)).second) return;
  boxes_.show(errorReportText(location, e, version_), kReportTitle, kReportFlags);
}

void Scope::reportCurrent() {
  try {
    throw;
  } catch (const Error& e) {
    reporter_.report(location_, e);
  } catch (const std::bad_alloc&) {
    reporter_.report(location_, Error::of(err::kOutOfMemory));
  } catch (const std::exception&) {
    reporter_.report(location_, Error::of(err::kInvalidArgument));
  }
}

}  // namespace tavo
