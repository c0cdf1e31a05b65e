#pragma once
// The title ledger in memory, counting what the program asks of it.
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ports.h"

namespace tavo::fake {

struct FakeLedger : TitleLedger {
  std::vector<std::pair<WindowHandle, std::u16string>> records() override { return {entries.begin(), entries.end()}; }
  void put(WindowHandle w, std::u16string_view text) override {
    ++writes;
    entries[w] = text;
  }
  void drop(WindowHandle w) override {
    ++writes;
    entries.erase(w);
  }

  std::map<WindowHandle, std::u16string> entries;
  int writes = 0;  // puts and drops
};

}  // namespace tavo::fake
