#pragma once
// The 12-hour and past-midnight hour fields, written straight into the
// interpreter's text rather than through a string of their own: the
// 12-hour standard pattern runs one on every tick. APTime and KTime are
// these with a string around them.
#include <string_view>

#include "base/datetime.h"
#include "base/report.h"
#include "format/datetime_format.h"

namespace tavo {

void putAPTime(TextSink& out, const DateTime& now, std::u16string_view code, Reporter& reporter);
void putKTime(TextSink& out, const DateTime& now, std::u16string_view code, Reporter& reporter);

}  // namespace tavo
