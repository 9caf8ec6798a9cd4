// Process-level figures of velmora.exe beside the baseline tray program, taken
// side by side in one run: start-up time, private bytes and their growth over
// 1,000 dropped scripts, and drop latency at two poll intervals.
// Usage: wine_bench <velmora.exe> <baseline.exe>; works in the current folder.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Start-up is timed in rounds of 20 starts; each round's median ratio shows
// how much a run on a busy machine can move the figure.
constexpr int kStartRounds = 5;
constexpr int kStartRuns = 20;
constexpr int kTimedDrops = 50;
constexpr int kTotalDrops = 1000;
constexpr int kDropBatch = 25;
// Long enough for Wine on a busy two-core machine; a healthy run never waits
// this long, so reaching it means the program stopped answering.
constexpr Clock::duration kDeadline = std::chrono::seconds(30);

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Subject {
  std::string name;    // column heading
  std::string exePath; // the program to copy into each application folder
  std::string caption; // caption of its hidden host window
  bool scripted;       // takes boot.scp and script drops (else an interval argument)
};

std::string FileName(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void WriteFileText(const std::string& path, const std::string& text) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    throw std::runtime_error("cannot write " + path);
  }
  DWORD written = 0;
  const BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
  if (!ok || written != text.size()) {
    throw std::runtime_error("cannot write " + path);
  }
}

bool WaitUntil(const std::function<bool()>& done) {
  const Clock::time_point deadline = Clock::now() + kDeadline;
  while (!done()) {
    if (Clock::now() > deadline) {
      return false;
    }
    Sleep(1);
  }
  return true;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The nearest-rank 90th percentile.
double Percentile90(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const auto rank = static_cast<std::size_t>(std::ceil(0.9 * static_cast<double>(values.size())));
  return values[rank - 1];
}

std::string AbsolutePath(const std::string& path) {
  char full[MAX_PATH] = {};
  const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  return length == 0 || length >= MAX_PATH ? path : std::string(full, length);
}

// One running copy of a subject in an application folder of its own.
class Instance {
public:
  Instance(const Subject& subject, const std::string& folder, unsigned pollMs)
      : subject_(subject), folder_(AbsolutePath(folder) + "\\"), pollMs_(pollMs) {
    CreateDirectoryA(folder.c_str(), nullptr);
    exe_ = folder_ + FileName(subject.exePath);
    if (!CopyFileA(subject.exePath.c_str(), exe_.c_str(), FALSE)) {
      throw std::runtime_error("cannot copy " + subject.exePath);
    }
    if (subject.scripted) {
      WriteFileText(folder_ + "boot.scp", "on openScript\r\nset polling to " +
                                              std::to_string(pollMs) +
                                              "\r\nwrite \"started\"\r\nend openScript\r\n");
    }
  }
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;
  ~Instance() { Stop(); }

  // Starts the program with an empty output file and gives the milliseconds
  // from the process start to its "started" line.
  double StartAndTime() {
    DeleteFileA((folder_ + "output.txt").c_str());
    lines_.clear();
    partial_.clear();
    offset_ = 0;
    std::string commandLine = "\"" + exe_ + "\"";
    if (!subject_.scripted) {
      commandLine += " " + std::to_string(pollMs_);
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const Clock::time_point start = Clock::now();
    if (!CreateProcessA(exe_.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder_.c_str(), &startup, &info)) {
      throw std::runtime_error("cannot start " + exe_ + " (error " +
                               std::to_string(GetLastError()) + ")");
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    processId_ = info.dwProcessId;
    AwaitLine("started");
    const double elapsed = MillisecondsSince(start);
    WaitForInputIdle(process_, 5000);
    return elapsed;
  }

  // Drops one script as a writer should (written under another name, closed,
  // then renamed) and gives the milliseconds until its line is written.
  double DropAndTime() {
    const std::string tag = Drop();
    const Clock::time_point dropped = Clock::now();
    AwaitLine(tag);
    return MillisecondsSince(dropped);
  }

  // Drops scripts in batches until the program has taken the given total,
  // then waits until every one has been run and deleted.
  void DropUntil(int total) {
    while (drops_ < total) {
      const int batchEnd = std::min(total, drops_ + kDropBatch);
      while (drops_ < batchEnd) {
        Drop();
      }
      const std::size_t wanted = static_cast<std::size_t>(drops_) + 1;
      if (!WaitUntil([&] { return ReadLines() >= wanted && !HasDrops(); })) {
        throw std::runtime_error(subject_.name + " did not take its drops");
      }
    }
  }

  // Private bytes: memory committed to this process alone. Windows reports
  // the same commit charge as PagefileUsage; Wine leaves PrivateUsage at 0 and
  // fills PagefileUsage from the process's resident anonymous memory.
  double PrivateKilobytes() const {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process_, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                              sizeof counters)) {
      throw std::runtime_error("cannot read the memory of " + subject_.name);
    }
    const SIZE_T bytes =
        counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
    return static_cast<double>(bytes) / 1024.0;
  }

  // Closes the host window as Windows does; a program that overstays is killed.
  void Stop() {
    if (process_ == nullptr) {
      return;
    }
    EnumWindows(PostCloseIfOurs, reinterpret_cast<LPARAM>(this));
    if (WaitForSingleObject(process_, 10000) != WAIT_OBJECT_0) {
      std::fprintf(stderr, "warning: %s did not quit on WM_CLOSE; killed\n", subject_.name.c_str());
      TerminateProcess(process_, 1);
      WaitForSingleObject(process_, 10000);
    }
    CloseHandle(process_);
    process_ = nullptr;
  }

private:
  static BOOL CALLBACK PostCloseIfOurs(HWND window, LPARAM self) {
    const auto* instance = reinterpret_cast<const Instance*>(self);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char caption[64] = {};
    GetWindowTextA(window, caption, sizeof caption);
    if (owner == instance->processId_ && instance->subject_.caption == caption) {
      PostMessageA(window, WM_CLOSE, 0, 0);
    }
    return TRUE;
  }

  std::string Drop() {
    ++drops_;
    char tag[16];
    std::snprintf(tag, sizeof tag, "d%04d", drops_);
    const std::string text = subject_.scripted ? "on openScript\r\nwrite \"" + std::string(tag) +
                                                     "\"\r\nend openScript\r\n"
                                               : std::string(tag) + "\r\n";
    const std::string partName = folder_ + tag + ".part";
    WriteFileText(partName, text);
    if (!MoveFileA(partName.c_str(), (folder_ + tag + ".scp").c_str())) {
      throw std::runtime_error("cannot rename " + partName);
    }
    return tag;
  }

  bool HasDrops() const {
    WIN32_FIND_DATAA found{};
    const HANDLE search = FindFirstFileA((folder_ + "*.scp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
      return false;
    }
    bool any = false;
    do {
      any = any || lstrcmpiA(found.cFileName, "boot.scp") != 0;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return any;
  }

  // Reads what the program appended since the last look; gives the number of
  // complete lines seen so far.
  std::size_t ReadLines() {
    const HANDLE file = CreateFileA((folder_ + "output.txt").c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      return lines_.size();
    }
    LARGE_INTEGER at{};
    at.QuadPart = offset_;
    SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
      offset_ += read;
      partial_.append(buffer, read);
    }
    CloseHandle(file);
    for (std::size_t end = partial_.find("\r\n"); end != std::string::npos;
         end = partial_.find("\r\n")) {
      lines_.push_back(partial_.substr(0, end));
      partial_.erase(0, end + 2);
    }
    return lines_.size();
  }

  void AwaitLine(const std::string& line) {
    std::size_t checked = 0;
    const bool seen = WaitUntil([&] {
      ReadLines();
      for (; checked < lines_.size(); ++checked) {
        if (lines_[checked] == line) {
          return true;
        }
      }
      return false;
    });
    if (!seen) {
      throw std::runtime_error(subject_.name + " never wrote \"" + line + "\"");
    }
  }

  const Subject& subject_;
  std::string folder_;
  std::string exe_;
  unsigned pollMs_;
  HANDLE process_ = nullptr;
  DWORD processId_ = 0;
  int drops_ = 0;
  LONGLONG offset_ = 0;
  std::string partial_;
  std::vector<std::string> lines_;
};

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
  if (argc != 3) {
    std::fprintf(stderr, "usage: wine_bench <velmora.exe> <baseline.exe>\n");
    return 2;
  }
  const std::vector<Subject> subjects{{"velmora", argv[1], "Form1", true},
                                      {"baseline", argv[2], "Baseline", false}};
  std::vector<Figures> figures(subjects.size());
  try {
    MeasureStartUp(subjects, figures);
    MeasureDrops(subjects, 500, figures);
    MeasureDrops(subjects, 50, figures);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "wine_bench: %s\n", error.what());
    return 1;
  }
  PrintTable(figures);
  return 0;
}
