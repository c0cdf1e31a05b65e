#pragma once
// Message boxes in memory: every box is logged, answers are scripted.
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/ports.h"

namespace tavo::fake {

struct ShownBox {
  std::u16string text, title;
  unsigned flags = 0;
};

class FakePrompt : public Prompt {
 public:
  int messageBox(std::u16string_view text, std::u16string_view title, unsigned flags) override {
    shown.push_back({std::u16string(text), std::u16string(title), flags});
    if (whileOpen) whileOpen();
    if (answers.empty()) return defaultAnswer;
    int a = answers.front();
    answers.pop_front();
    return a;
  }
  std::vector<ShownBox> shown;
  std::deque<int> answers;
  int defaultAnswer = mb::kIdOk;
  std::function<void()> whileOpen;  // runs while a box is "open", e.g. to deliver a timer tick
};

class FakeClock : public Clock {
 public:
  DateTime now() override { return time; }
  DateTime time{2026, 12, 6, 21, 5, 7};
};

// rsrc32.dll as on an NT system (missing) unless figures are set.
class FakeResources : public SystemResources {
 public:
  std::int32_t freeResources(std::int32_t kind) override;
  bool present = false;
  int failWith = 0;  // a non-zero error number to throw when present
  std::int32_t figures[3] = {0, 0, 0};
  int calls = 0;
};

}  // namespace tavo::fake
