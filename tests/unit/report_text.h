#pragma once
// Error reports read back from the boxes a fake prompt logged. The second
// line runs the location and the version together ("SaveSet31.70.0001"), so
// a location is matched as a prefix followed by nothing but a version.
#include <optional>
#include <string>
#include <vector>

#include "base/report.h"
#include "base/text.h"
#include "platform/fake/fake_prompt.h"

namespace tavo::test {

struct ReportText {
  int number = 0;
  std::u16string place, description;  // place: the location and the version

  bool at(std::u16string_view location) const {
    if (!place.starts_with(location)) return false;
    const std::u16string_view v = std::u16string_view(place).substr(location.size());
    const auto dot = v.find(u'.');
    return dot != 0 && dot != v.npos && v.size() == dot + 8 && v[dot + 3] == u'.' &&
           v.find_first_not_of(u"0123456789.") == v.npos;
  }
};

inline std::optional<ReportText> parseReport(const fake::ShownBox& box) {
  static const std::u16string head = u"エラー番号:", place = u"\r\n場所:", eol = u"\r\n";
  if (box.title != kReportTitle || box.flags != kReportFlags || !box.text.starts_with(head)) return std::nullopt;
  const auto at = box.text.find(place);
  const auto end = at == std::u16string::npos ? at : box.text.find(eol, at + place.size());
  if (end == std::u16string::npos) return std::nullopt;
  const auto next = box.text.find(eol, end + eol.size());
  return ReportText{std::stoi(utf8(box.text.substr(head.size(), at - head.size()))),
                    box.text.substr(at + place.size(), end - at - place.size()),
                    box.text.substr(end + eol.size(), next - end - eol.size())};
}

// The reports among the boxes, in the order shown.
inline std::vector<ReportText> reportsIn(const std::vector<fake::ShownBox>& shown) {
  std::vector<ReportText> reports;
  for (const auto& box : shown)
    if (auto r = parseReport(box)) reports.push_back(std::move(*r));
  return reports;
}

// How many reports were shown under `location` (with `number`, when given).
inline int reportCount(const std::vector<fake::ShownBox>& shown, std::u16string_view location, int number = 0) {
  int n = 0;
  for (const auto& r : reportsIn(shown)) n += r.at(location) && (number == 0 || r.number == number);
  return n;
}

}  // namespace tavo::test
