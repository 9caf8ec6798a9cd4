// Process-level figures of velmora.exe beside the baseline tray program, taken
// side by side in one run: start-up time, private bytes and their growth over
// 1,000 dropped scripts, and drop latency at two poll intervals; then how long
// velmoractl's send --wait and ask take against the running program.
// Usage: wine_bench <velmora.exe> <baseline.exe> <velmoractl.exe>; works in the
// current folder.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "ctl_timing.hpp"
#include "instance.hpp"
#include "measure.hpp"

namespace {

// Start-up is timed in rounds of 20 starts; each round's median ratio shows
// how much a run on a busy machine can move the figure.
constexpr int kStartRounds = 5;
constexpr int kStartRuns = 20;
constexpr int kTimedDrops = 50;
constexpr int kTotalDrops = 1000;

struct Figures {
  std::vector<double> startMs;                  // every start of every round
  std::vector<std::vector<double>> startRounds; // the starts of each round
  double startKb = 0;
  double afterDropsKb = 0;
  std::vector<double> latency500;
  std::vector<double> latency50;
};

// Waits part of the poll interval before the given drop, so drops land at
// every phase of the program's timer instead of just after a tick. The parts
// follow the golden-ratio sequence, which spreads any number of drops evenly
// over the interval, so a median over 50 drops is close to what uniformly
// random drops would give, whatever the offset between the two programs'
// timers.
void WaitDropPhase(int drop, unsigned pollMs) {
  const double part = std::fmod(drop * 0.6180339887498949, 1.0);
  Sleep(static_cast<DWORD>(part * pollMs));
}

void MeasureStartUp(const std::vector<Subject>& subjects, std::vector<Figures>& figures) {
  std::vector<std::unique_ptr<Instance>> instances;
  for (const Subject& subject : subjects) {
    instances.push_back(std::make_unique<Instance>(subject, "start-" + subject.name, 500));
  }
  // One unmeasured start each fills Wine's caches; the runs then alternate
  // between the programs so a slow moment of the machine hits both alike.
  for (std::size_t i = 0; i < subjects.size(); ++i) {
    instances[i]->StartAndTime();
    instances[i]->Stop();
    figures[i].startRounds.resize(kStartRounds);
  }
  for (int round = 0; round < kStartRounds; ++round) {
    for (int run = 0; run < kStartRuns; ++run) {
      for (std::size_t i = 0; i < subjects.size(); ++i) {
        const double ms = instances[i]->StartAndTime();
        instances[i]->Stop();
        figures[i].startMs.push_back(ms);
        figures[i].startRounds[static_cast<std::size_t>(round)].push_back(ms);
      }
    }
  }
}

// Timed drops at one poll interval, alternating between the programs. At
// 50 ms the same instances then take the rest of the 1,000 drops, and their
// private bytes are read before and after.
void MeasureDrops(const std::vector<Subject>& subjects, unsigned pollMs,
                  std::vector<Figures>& figures) {
  std::vector<std::unique_ptr<Instance>> instances;
  for (const Subject& subject : subjects) {
    instances.push_back(std::make_unique<Instance>(
        subject, "drop" + std::to_string(pollMs) + "-" + subject.name, pollMs));
    instances.back()->StartAndTime();
  }
  const bool memory = pollMs == 50;
  for (std::size_t i = 0; memory && i < subjects.size(); ++i) {
    figures[i].startKb = instances[i]->PrivateKilobytes();
  }
  for (int drop = 0; drop < kTimedDrops; ++drop) {
    for (std::size_t i = 0; i < subjects.size(); ++i) {
      WaitDropPhase(drop, pollMs);
      (memory ? figures[i].latency50 : figures[i].latency500)
          .push_back(instances[i]->DropAndTime());
    }
  }
  for (std::size_t i = 0; memory && i < subjects.size(); ++i) {
    instances[i]->DropUntil(kTotalDrops);
    figures[i].afterDropsKb = instances[i]->PrivateKilobytes();
  }
}

std::string Format(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// One line of the table; a figure without a target leaves the last columns
// empty.
void PrintRow(const char* figure, double velmora, double baseline, const char* unit,
              const std::string& target = "", bool met = true) {
  std::printf("%-34s %9.1f %9.1f  %-3s %-32s %s\n", figure, velmora, baseline, unit, target.c_str(),
              target.empty() ? "" : (met ? "met" : "MISSED"));
}

// A dropped script is taken when the folder changes, whatever the poll.
void PrintLatency(const char* median, const char* percentile, const std::vector<double>& velmora,
                  const std::vector<double>& baseline) {
  PrintRow(median, Median(velmora), Median(baseline), "ms", "< 20 ms", Median(velmora) < 20.0);
  PrintRow(percentile, Percentile90(velmora), Percentile90(baseline), "ms", "< 50 ms",
           Percentile90(velmora) < 50.0);
}

void PrintTable(const std::vector<Figures>& figures) {
  const Figures& v = figures[0];
  const Figures& b = figures[1];
  std::printf("%-34s %9s %9s  %-3s %-32s\n", "figure", "velmora", "baseline", "", "target");
  const double startRatio = Median(v.startMs) / Median(b.startMs);
  PrintRow("start-up, median of 5 x 20", Median(v.startMs), Median(b.startMs), "ms",
           Format("<= 1.2x baseline (is %.2fx)", startRatio), startRatio <= 1.2);
  const double memoryRatio = v.startKb / b.startKb;
  PrintRow("private bytes after start-up", v.startKb, b.startKb, "KB",
           Format("<= 1.5x baseline (is %.2fx)", memoryRatio), memoryRatio <= 1.5);
  PrintRow("private bytes after 1,000 drops", v.afterDropsKb, b.afterDropsKb, "KB");
  const double growth = v.afterDropsKb - v.startKb;
  PrintRow("growth over 1,000 drops", growth, b.afterDropsKb - b.startKb, "KB", "< 1024 KB",
           growth < 1024.0);
  PrintLatency("drop latency at 500 ms, median", "drop latency at 500 ms, 90th pct", v.latency500,
               b.latency500);
  PrintLatency("drop latency at 50 ms, median", "drop latency at 50 ms, 90th pct", v.latency50,
               b.latency50);
  const auto [vMin, vMax] = std::minmax_element(v.startMs.begin(), v.startMs.end());
  const auto [bMin, bMax] = std::minmax_element(b.startMs.begin(), b.startMs.end());
  std::printf("start-up range: velmora %.1f to %.1f ms, baseline %.1f to %.1f ms\n", *vMin, *vMax,
              *bMin, *bMax);
  std::printf("start-up ratio of each round's medians:");
  for (std::size_t round = 0; round < v.startRounds.size(); ++round) {
    std::printf(" %.2fx", Median(v.startRounds[round]) / Median(b.startRounds[round]));
  }
  std::printf("\n");
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: wine_bench <velmora.exe> <baseline.exe> <velmoractl.exe>\n");
    return 2;
  }
  const std::vector<Subject> subjects{{"velmora", argv[1], "Form1", true},
                                      {"baseline", argv[2], "Baseline", false}};
  std::vector<Figures> figures(subjects.size());
  CtlFigures ctl;
  try {
    MeasureStartUp(subjects, figures);
    MeasureDrops(subjects, 500, figures);
    MeasureDrops(subjects, 50, figures);
    ctl = MeasureCtl(subjects[0], argv[3]);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "wine_bench: %s\n", error.what());
    return 1;
  }
  PrintTable(figures);
  PrintCtl(ctl);
  return 0;
}
