#pragma once
// A store in memory that logs what it is asked, in order, and can fail one
// key: tests see the order of reading and saving, and that one failed key
// stops nothing.
#include <functional>
#include <string>
#include <vector>

#include "base/error.h"
#include "settings/memory_store.h"

namespace tavo::fake {

class LoggingStore : public MemoryStore {
 public:
  std::optional<std::u16string> read(std::u16string_view app, std::u16string_view section,
                                     std::u16string_view key) override {
    reads.emplace_back(key);
    return MemoryStore::read(app, section, key);
  }
  void write(std::u16string_view app, std::u16string_view section, std::u16string_view key,
             std::u16string_view value) override {
    if (key == failKey) raise(err::kStore, u"書けません");
    if (onWrite) onWrite();
    MemoryStore::write(app, section, key, value);
    log.push_back(std::u16string(key) + u"=" + std::u16string(value));
  }
  void erase(std::u16string_view app, std::u16string_view section, std::u16string_view key) override {
    if (key == failKey) raise(err::kStore, u"消せません");
    MemoryStore::erase(app, section, key);
    log.push_back(u"-" + std::u16string(key));
  }

  std::vector<std::u16string> reads;  // key names
  std::vector<std::u16string> log;    // "key=value" and "-key"
  std::u16string failKey;             // writes and erases of this key fail
  std::function<void()> onWrite;      // called before each write
};

}  // namespace tavo::fake
