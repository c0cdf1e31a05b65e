#include "main/title_ledger.h"

#include "main/owed_titles.h"

namespace tavo {

namespace {

// A text only Tavo writes: no guessing from titles that look like a clock.
bool showsClockBeside(std::u16string_view title, const LedgerRecord& r) {
  const std::u16string_view sep = clockSeparator(r.equalSeparate);
  if (r.clockRight == 0) {
    if (!title.ends_with(r.own)) return false;
    title.remove_suffix(r.own.size());
    return title.ends_with(sep);
  }
  if (!title.starts_with(r.own)) return false;
  title.remove_prefix(r.own.size());
  return title.starts_with(sep);
}

}  // namespace

std::u16string_view clockSeparator(std::uint8_t equalSeparate) { return equalSeparate == 1 ? u" = " : u" "; }

void ledgerText(const LedgerRecord& record, std::u16string& text) {
  text.assign(1, record.clockRight == 1 ? u'1' : u'0');
  text.push_back(record.equalSeparate == 1 ? u'1' : u'0');
  text.append(record.own);
}

std::optional<LedgerRecord> readLedgerText(std::u16string_view text) {
  const auto flag = [](char16_t c) { return c == u'0' || c == u'1'; };
  if (text.size() < 2 || !flag(text[0]) || !flag(text[1])) return std::nullopt;
  return LedgerRecord{static_cast<std::uint8_t>(text[0] - u'0'), static_cast<std::uint8_t>(text[1] - u'0'),
                      text.substr(2)};
}

void giveBackLeftTitles(TitleLedger& ledger, Desktop& desktop) {
  for (const auto& [w, text] : ledger.records()) {
    if (const auto record = readLedgerText(text)) {
      if (const auto title = desktop.windowTitle(w); title && showsClockBeside(*title, *record))
        writeTitle(desktop, w, record->own);
    }
    ledger.drop(w);
  }
}

}  // namespace tavo
