#pragma once
// What the title ledger holds for a window that carries the clock, and the
// give-back at start of the titles an earlier Tavo left decorated.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ports.h"

namespace tavo {

// Between the clock and the window's own title.
std::u16string_view clockSeparator(std::uint8_t equalSeparate);

// One record: the clock's side and separator (each 0 or 1), the window's own title.
struct LedgerRecord {
  std::uint8_t clockRight = 0;
  std::uint8_t equalSeparate = 0;
  std::u16string_view own;
  bool operator==(const LedgerRecord&) const = default;
};

// The record's text, into `text`, whose storage is reused.
void ledgerText(const LedgerRecord& record, std::u16string& text);
// Nothing for a text ledgerText did not write; `own` points into `text`.
std::optional<LedgerRecord> readLedgerText(std::u16string_view text);

// Before the first tick: a recorded window that still shows its own title
// with a clock (any: the minute has moved on) at the recorded side gets that
// title back; a window that renamed itself or is gone is left alone. Every
// record is dropped.
void giveBackLeftTitles(TitleLedger& ledger, Desktop& desktop);

}  // namespace tavo
