// One steady tick: the window and the minute stay, so the cycle expands the
// pattern, reads the title twice and writes nothing, title or record.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "main/cycle.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_ledger.h"
#include "platform/fake/fake_prompt.h"
#include "platform/fake/recording_signals.h"

namespace tavo {
namespace {

void BM_SteadyTick(benchmark::State& bench) {
  fake::FakeDesktop desktop;
  fake::FakeClock clock;
  fake::FakePrompt prompt;
  fake::FakeResources resources;
  Boxes boxes(prompt);
  Reporter reporter(boxes, buildVersion());
  fake::RecordingSignals signals;
  fake::FakeLedger ledger;
  AppState state;
  state.equalSeparate = 1;
  state.roster = {u"Vim", u"Emacs", u"mintty"};
  state.clockPattern = u"%h:nn%,%mmm%,%d%";  // the default standard pattern
  CaptionCycle cycle(state, desktop, clock, resources, reporter, signals, ledger);
  desktop.open(u"Notepad", u"無題 - メモ帳");
  cycle.tmrMain_Timer();
  const int writes = desktop.totalTitleWrites() + ledger.writes;

  for (auto _ : bench) cycle.tmrMain_Timer();

  const int steadyWrites = desktop.totalTitleWrites() + ledger.writes - writes;
  bench.counters["title_writes"] = steadyWrites;
  if (steadyWrites != 0 || !prompt.shown.empty()) {
    bench.SkipWithError("a steady tick wrote a title or a record, or reported an error");
  }
}
BENCHMARK(BM_SteadyTick);

}  // namespace
}  // namespace tavo
