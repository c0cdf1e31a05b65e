#pragma once
// Tavo as Tavo.exe wires it, on the fakes and a store that logs: what the
// main window and dialog tests share.
#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>
#include <string>

#include "platform/fake/fake_app.h"
#include "platform/fake/fake_store.h"
#include "report_text.h"
#include "settings/keys.h"

namespace tavo::test {

// The store comes first: the application reads it from its first load on.
struct WithLoggingStore {
  fake::LoggingStore store;
};

class AppTest : public ::testing::Test, public WithLoggingStore, public fake::FakeApp {
 protected:
  AppTest() : FakeApp(store) {}
  // As an earlier session stored it: not logged.
  void set(const KeyDef& key, std::u16string_view value) {
    store.MemoryStore::write(kAppName, key.section, key.name, value);
  }
  void set(std::initializer_list<std::pair<KeyDef, std::u16string_view>> values) {
    for (const auto& [key, value] : values) set(key, value);
  }
  std::optional<std::u16string> stored(const KeyDef& key) {
    return store.MemoryStore::read(kAppName, key.section, key.name);
  }
  int reports(std::u16string_view location, int number = 0) const {
    return reportCount(prompt.shown, location, number);
  }
};

}  // namespace tavo::test
