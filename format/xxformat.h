#pragma once
// The clock pattern interpreter and its special fields.
#include <cstdint>
#include <string>
#include <string_view>

#include "base/datetime.h"
#include "base/report.h"
#include "platform/ports.h"
#include "settings/store.h"

namespace tavo {

struct ClockReading {
  std::u16string text;     // the clock text ("XXErr" for a placeholder left open)
  std::u16string timeKey;  // "h:n", or "h:n:s" when a placeholder holds a lower-case "s"
};

// Expands `pattern` for `now` into `into`, overwriting both texts in their
// own storage: a reading kept from tick to tick expands without allocating.
// `pattern` must not refer to `into`. Never throws: errors are reported
// under "FromXXFToShowClk-XXModule" (and the fields' own locations).
void FromXXFToShowClk(std::u16string_view pattern, const DateTime& now, SystemResources& resources,
                      Reporter& reporter, ClockReading& into);
ClockReading FromXXFToShowClk(std::u16string_view pattern, const DateTime& now, SystemResources& resources,
                              Reporter& reporter);

// The stored extended pattern; "" after a reported error.
std::u16string GetXXF(Settings& settings, Reporter& reporter);

// Field operations; each reports its own errors and always returns.
std::int16_t MoonAge(const DateTime& today, Reporter& reporter);
std::u16string MoonGraphic(std::int16_t age, Reporter& reporter);
std::u16string APTime(const DateTime& now, std::u16string_view code, Reporter& reporter);
std::u16string KTime(const DateTime& now, std::u16string_view code, Reporter& reporter);
std::u16string FreeSysResource(std::u16string_view code, SystemResources& resources, Reporter& reporter);

// The date/time formatter: `pattern` applied to `t` (Sunday first day of the
// week, the week of 1 January the first week). Unknown characters are copied.
std::u16string formatDateTime(const DateTime& t, std::u16string_view pattern);

}  // namespace tavo
