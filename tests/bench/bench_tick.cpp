// One steady tick: the window and the minute stay, so the cycle expands the
// pattern, reads the title twice and writes nothing, title or record. In
// front of a window that draws its own title bar it also reads the window's
// frame, and the overlay stays as it is.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "main/cycle.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_ledger.h"
#include "platform/fake/fake_overlay.h"
#include "platform/fake/fake_prompt.h"
#include "platform/fake/recording_signals.h"

namespace tavo {
namespace {

void steadyTick(benchmark::State& bench, bool ownTitleBar) {
  fake::FakeDesktop desktop;
  fake::FakeClock clock;
  fake::FakePrompt prompt;
  fake::FakeResources resources;
  Boxes boxes(prompt);
  Reporter reporter(boxes, buildVersion());
  fake::RecordingSignals signals;
  fake::FakeLedger ledger;
  fake::FakeOverlay overlay;
  AppState state;
  state.equalSeparate = 1;
  state.roster = {u"Vim", u"Emacs", u"mintty"};
  state.clockPattern = u"%h:nn%,%mmm%,%d%";  // the default standard pattern
  CaptionCycle cycle(state, desktop, clock, resources, reporter, signals, ledger, overlay);
  const WindowHandle w = desktop.open(u"Notepad", u"無題 - メモ帳");
  desktop.edit(w).ownTitleBar = ownTitleBar;
  cycle.tmrMain_Timer();
  const int writes = desktop.totalTitleWrites() + ledger.writes;
  const std::size_t overlayCalls = overlay.log.size();
  const int frameQueries = desktop.window(w).frameQueries;
  if (overlay.shown != ownTitleBar) bench.SkipWithError("the overlay is not as the window's frame wants it");

  for (auto _ : bench) cycle.tmrMain_Timer();

  const int steadyWrites = desktop.totalTitleWrites() + ledger.writes - writes;
  bench.counters["title_writes"] = steadyWrites;
  const bool framed = desktop.window(w).frameQueries != frameQueries;
  if (steadyWrites != 0 || overlay.log.size() != overlayCalls || framed != ownTitleBar || !prompt.shown.empty()) {
    bench.SkipWithError("a steady tick wrote a title, a record or the overlay, read a frame it did not need, or "
                        "reported an error");
  }
}

void BM_SteadyTick(benchmark::State& bench) { steadyTick(bench, false); }
BENCHMARK(BM_SteadyTick);

void BM_SteadyTickWithOverlay(benchmark::State& bench) { steadyTick(bench, true); }
BENCHMARK(BM_SteadyTickWithOverlay);

}  // namespace
}  // namespace tavo
