#pragma once
// A message loop in memory: counts the yields and runs a test's code inside
// each one, as pending messages (a timer tick, a nested cycle tick) would.
#include <functional>

#include "platform/ports.h"

namespace tavo::fake {

class FakePump : public Pump {
 public:
  void yield() override {
    ++yields;
    if (onYield) onYield();
  }
  int yields = 0;
  std::function<void()> onYield;
};

}  // namespace tavo::fake
