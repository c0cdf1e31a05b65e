#pragma once
// Stands between the cycle and the hourly signal and the alarm: records when
// the cycle calls them, can run a test's code inside the call (a nested tick,
// a failure), and passes the call on to the real signals when given them.
#include <cstdint>
#include <functional>
#include <vector>

#include "main/cycle.h"

namespace tavo::fake {

struct SignalCall {
  enum Kind { kPika, kAlarm } kind;
  std::uint8_t withheld = 0;  // the argument of ChkPika
  friend bool operator==(const SignalCall&, const SignalCall&) = default;
};

class RecordingSignals : public TimeSignals {
 public:
  void ChkPika(std::uint8_t withheld) override {
    calls.push_back({SignalCall::kPika, withheld});
    if (onPika) onPika();
    if (forward) forward->ChkPika(withheld);
  }
  void ChkAlarm() override {
    calls.push_back({SignalCall::kAlarm, 0});
    if (onAlarm) onAlarm();
    if (forward) forward->ChkAlarm();
  }

  int count(SignalCall::Kind kind) const {
    int n = 0;
    for (const auto& c : calls) n += c.kind == kind;
    return n;
  }
  void clear() { calls.clear(); }

  std::vector<SignalCall> calls;
  std::function<void()> onPika, onAlarm;
  TimeSignals* forward = nullptr;
};

}  // namespace tavo::fake
