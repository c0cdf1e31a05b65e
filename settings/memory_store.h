#pragma once
// A settings store in memory for tests. Names compare without regard to the
// case of ASCII letters (every stored name is ASCII); a value keeps the key
// name of its first write, as the registry does.
#include <cstddef>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "settings/store.h"

namespace tavo {

class MemoryStore : public Store {
 public:
  std::optional<std::u16string> read(std::u16string_view app, std::u16string_view section,
                                     std::u16string_view key) override;
  void write(std::u16string_view app, std::u16string_view section, std::u16string_view key,
             std::u16string_view value) override;
  void erase(std::u16string_view app, std::u16string_view section, std::u16string_view key) override;

  // Key names of a section as first written, in case-insensitive order.
  std::vector<std::u16string> keyNames(std::u16string_view app, std::u16string_view section) const;
  std::size_t valueCount() const;

  // Failing on purpose: writes and erases (or reads) raise err::kStore and
  // change nothing.
  bool failWrites = false;
  bool failReads = false;
  // Successful writes and erases, to check that a value is written once and at once.
  int writeCount = 0;
  // Reads asked for, failed ones included, to check that nothing is read.
  int readCount = 0;

 private:
  struct Value {
    std::u16string name;
    std::u16string text;
  };
  using SectionId = std::pair<std::u16string, std::u16string>;
  std::map<SectionId, std::map<std::u16string, Value>> sections_;
};

}  // namespace tavo
