#pragma once
// A store that logs every write and erase in order and can fail one key, so
// that tests see the order of saving and that one failed key stops nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/error.h"
#include "base/report.h"
#include "base/text.h"
#include "platform/fake/fake_prompt.h"
#include "report_text.h"
#include "settings/keys.h"
#include "settings/memory_store.h"

namespace tavo::test {

class LoggingStore : public Store {
 public:
  std::optional<std::u16string> read(std::u16string_view app, std::u16string_view section,
                                     std::u16string_view key) override {
    return inner.read(app, section, key);
  }
  void write(std::u16string_view app, std::u16string_view section, std::u16string_view key,
             std::u16string_view value) override {
    if (key == failKey) raise(err::kStore, u"書けません");
    log.push_back(std::u16string(key) + u"=" + std::u16string(value));
    inner.write(app, section, key, value);
  }
  void erase(std::u16string_view app, std::u16string_view section, std::u16string_view key) override {
    if (key == failKey) raise(err::kStore, u"消せません");
    log.push_back(u"-" + std::u16string(key));
    inner.erase(app, section, key);
  }
  MemoryStore inner;
  std::vector<std::u16string> log;
  std::u16string failKey;  // writes and erases of this key fail
};

// Message boxes and error reports shown through a fake prompt.
struct Boxed {
  fake::FakePrompt prompt;
  Boxes boxes{prompt};
  Reporter reporter{boxes, Version{1, 70, 1}};

  int reports(std::u16string_view location) const { return reportCount(prompt.shown, location); }
};

}  // namespace tavo::test
