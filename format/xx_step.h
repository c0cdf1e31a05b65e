#pragma once
// Error handling shared by the procedures of the extended-format module.
#include <new>
#include <string_view>

#include "base/error.h"
#include "base/report.h"

namespace tavo {

// One statement of an extended-format procedure: an error is reported under
// the procedure's location ("<procedure>-XXModule") and execution carries on.
// Scope::step does the same, but these procedures run on every tick and the
// location text is only worth building when something is reported.
// Returns whether the statement completed.
template <class F>
bool xxStep(Reporter& reporter, std::u16string_view procedure, F&& statement) {
  try {
    statement();
    return true;
  } catch (const Error& e) {
    reporter.report(xxLocation(procedure), e);
  } catch (const std::bad_alloc&) {
    reporter.report(xxLocation(procedure), Error::of(err::kOutOfMemory));
  }
  return false;
}

}  // namespace tavo
