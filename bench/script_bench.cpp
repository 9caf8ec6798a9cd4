// Loading and running scripts of growing size: the time must grow in step
// with the number of lines, never with its square.
#include <benchmark/benchmark.h>
#include <string>

#include "fake/fake_platform.hpp"
#include "interpreter/run.hpp"
#include "interpreter/script.hpp"

namespace {

// A script whose openScript holds the given number of command lines, with a
// comment line and a blank line every tenth line, as real scripts have.
std::wstring MakeScript(int lines) {
  std::wstring script = L"-- generated\r\non openScript\r\n";
  for (int i = 0; i < lines; ++i) {
    if (i % 10 == 0) {
      script += L"-- step " + std::to_wstring(i) + L"\r\n\r\n";
    }
    script += (i % 2 == 0) ? L"set silentErrors   false\r\n" : L"do  nothing at all\r\n";
  }
  script += L"end openScript\r\non leftClick\r\nbeep\r\nend leftClick\r\n";
  return script;
}

void BM_ParseScript(benchmark::State& state) {
  velmora::fake::FakePlatform fake;
  velmora::App app(fake);
  const std::wstring script = MakeScript(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    velmora::ParseScript(app, script);
    benchmark::DoNotOptimize(app.handlers[velmora::Slot::OpenScript].size());
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ParseScript)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

void BM_RunHandler(benchmark::State& state) {
  velmora::fake::FakePlatform fake;
  velmora::App app(fake);
  velmora::ParseScript(app, MakeScript(static_cast<int>(state.range(0))));
  const std::wstring slot = app.handlers[velmora::Slot::OpenScript];
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        velmora::RunHandler(app, slot, L"openScript", velmora::Mode::Optional));
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_RunHandler)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

} // namespace
