#pragma once
#include <gtest/gtest.h>

#include <string_view>

#include "base/report.h"
#include "platform/fake/fake_prompt.h"
#include "report_text.h"

namespace tavo::test {

// Message boxes and error reports shown through a fake prompt.
struct Boxed {
  fake::FakePrompt prompt;
  Boxes boxes{prompt};
  Reporter reporter{boxes, Version{1, 70, 1}};

  int reports(std::u16string_view location) const { return reportCount(prompt.shown, location); }
};

}  // namespace tavo::test
