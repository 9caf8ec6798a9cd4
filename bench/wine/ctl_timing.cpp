// velmoractl beside a running velmora.exe: send --wait and ask, timed from
// the command's start.
#include "ctl_timing.hpp"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "measure.hpp"

namespace {

constexpr int kCtlRuns = 20;

// A velmoractl process with its standard output and error in one pipe, read
// without blocking so the runner can answer a box meanwhile.
class CtlProcess {
public:
  CtlProcess(const std::string& exe, const std::string& arguments) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE write = nullptr;
    if (!CreatePipe(&read_, &write, &inherit, 0)) {
      throw std::runtime_error("cannot make a pipe for velmoractl");
    }
    SetHandleInformation(read_, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write;
    startup.hStdError = write;
    std::string commandLine = "\"" + exe + "\" " + arguments;
    PROCESS_INFORMATION info{};
    start_ = Clock::now();
    const BOOL started = CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &startup, &info);
    CloseHandle(write);
    if (!started) {
      CloseHandle(read_);
      throw std::runtime_error("cannot start " + exe + " (error " + std::to_string(GetLastError()) +
                               ")");
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
  }
  CtlProcess(const CtlProcess&) = delete;
  CtlProcess& operator=(const CtlProcess&) = delete;
  ~CtlProcess() {
    if (WaitForSingleObject(process_, 0) != WAIT_OBJECT_0) {
      TerminateProcess(process_, 1);
      WaitForSingleObject(process_, 10000);
    }
    CloseHandle(process_);
    CloseHandle(read_);
  }

  Clock::time_point Started() const { return start_; }

  bool Exited() const { return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0; }

  // Everything it has printed so far.
  const std::string& Printed() {
    DWORD available = 0;
    while (PeekNamedPipe(read_, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
      char buffer[512];
      DWORD read = 0;
      if (!ReadFile(read_, buffer, std::min<DWORD>(available, sizeof buffer), &read, nullptr) ||
          read == 0) {
        break;
      }
      printed_.append(buffer, read);
    }
    return printed_;
  }

  // Waits for its end and gives its exit status.
  DWORD AwaitExit() {
    const auto deadline = std::chrono::duration_cast<std::chrono::milliseconds>(kDeadline);
    if (WaitForSingleObject(process_, static_cast<DWORD>(deadline.count())) != WAIT_OBJECT_0) {
      throw std::runtime_error("velmoractl did not end");
    }
    DWORD status = 0;
    GetExitCodeProcess(process_, &status);
    return status;
  }

private:
  HANDLE read_ = nullptr;
  HANDLE process_ = nullptr;
  Clock::time_point start_;
  std::string printed_;
};

std::string WithoutLineEnd(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
    text.pop_back();
  }
  return text;
}

void CheckStatus(const char* command, DWORD status, CtlProcess& process) {
  if (status != 0) {
    throw std::runtime_error(std::string("velmoractl ") + command + " ended with " +
                             std::to_string(status) + ": " + WithoutLineEnd(process.Printed()));
  }
}

// A message box of the process, once it is on the screen.
HWND VisibleBoxOf(DWORD processId) {
  for (HWND window = FindWindowExA(nullptr, nullptr, "#32770", nullptr); window != nullptr;
       window = FindWindowExA(nullptr, window, "#32770", nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == processId && IsWindowVisible(window)) {
      return window;
    }
  }
  return nullptr;
}

// The button drawn as the box's default, the one Enter presses. (Under Wine,
// DM_GETDEFID answers IDOK even in a box that has no OK button.)
HWND DefaultButton(HWND box) {
  for (HWND button = FindWindowExA(box, nullptr, "Button", nullptr); button != nullptr;
       button = FindWindowExA(box, button, "Button", nullptr)) {
    const auto style = static_cast<DWORD>(GetWindowLongA(button, GWL_STYLE));
    if ((style & BS_TYPEMASK) == BS_DEFPUSHBUTTON && IsWindowVisible(button)) {
      return button;
    }
  }
  throw std::runtime_error("the box has no default button");
}

// Presses the box's default button the way a click does.
void PressDefaultButton(HWND box) {
  const HWND button = DefaultButton(box);
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

// Sends a script that writes its own line, waiting until Velmora has taken
// it; gives the milliseconds from the start of velmoractl to its exit.
double TimeSend(Instance& velmora, const std::string& ctl, int run) {
  const std::string tag = "sent" + std::to_string(run);
  const std::string script = AbsolutePath("ctl-send.scp");
  WriteFileText(script, "on openScript\r\nwrite \"" + tag + "\"\r\nend openScript\r\n");
  CtlProcess send(ctl, "send --wait 10 \"" + script + "\"");
  const DWORD status = send.AwaitExit();
  const double elapsed = MillisecondsSince(send.Started());
  CheckStatus("send", status, send);
  // Velmora deletes a script only after running it: its line is there.
  velmora.AwaitLine(tag);
  return elapsed;
}

struct AskTimes {
  double boxMs;
  double answerMs;
};

// Asks a question and answers its box the moment it appears.
AskTimes TimeAsk(Instance& velmora, const std::string& ctl) {
  CtlProcess ask(ctl, "ask --timeout 10 \"Deploy build 1.4.2 to the test servers now?\"");
  HWND box = nullptr;
  WaitUntil([&] {
    box = VisibleBoxOf(velmora.ProcessId());
    return box != nullptr || ask.Exited();
  });
  if (box == nullptr) {
    throw std::runtime_error("velmoractl ask showed no box: " + WithoutLineEnd(ask.Printed()));
  }
  AskTimes times{MillisecondsSince(ask.Started()), 0};
  PressDefaultButton(box);
  if (!WaitUntil([&] { return ask.Printed().find('\n') != std::string::npos || ask.Exited(); })) {
    throw std::runtime_error("velmoractl ask printed no answer");
  }
  times.answerMs = MillisecondsSince(ask.Started());
  CheckStatus("ask", ask.AwaitExit(), ask);
  if (WithoutLineEnd(ask.Printed()) != "Yes") {
    throw std::runtime_error("velmoractl ask printed \"" + WithoutLineEnd(ask.Printed()) +
                             "\" for the default button, not \"Yes\"");
  }
  // The next question starts with no box open and no script left waiting.
  if (!WaitUntil([box] { return !IsWindow(box); })) {
    throw std::runtime_error("the box stayed open after its answer");
  }
  velmora.AwaitNoDrops();
  return times;
}

void PrintCtlRow(const char* figure, const std::vector<double>& ms) {
  const auto [fastest, slowest] = std::minmax_element(ms.begin(), ms.end());
  std::printf("%-38s %9.1f %9.1f  %8.1f to %.1f ms\n", figure, Median(ms), Percentile90(ms),
              *fastest, *slowest);
}

} // namespace

CtlFigures MeasureCtl(const Subject& velmora, const std::string& ctlPath) {
  Instance instance(velmora, "ctl-" + velmora.name, 500);
  const std::string ctl = instance.Folder() + FileName(ctlPath);
  if (!CopyFileA(ctlPath.c_str(), ctl.c_str(), FALSE)) {
    throw std::runtime_error("cannot copy " + ctlPath);
  }
  instance.StartAndTime();
  // One unmeasured run of each fills Wine's caches; then the two commands
  // alternate so a slow moment of the machine hits both alike.
  TimeSend(instance, ctl, 0);
  TimeAsk(instance, ctl);
  CtlFigures figures;
  for (int run = 1; run <= kCtlRuns; ++run) {
    figures.sendMs.push_back(TimeSend(instance, ctl, run));
    const AskTimes ask = TimeAsk(instance, ctl);
    figures.askBoxMs.push_back(ask.boxMs);
    figures.askMs.push_back(ask.answerMs);
  }
  return figures;
}

void PrintCtl(const CtlFigures& figures) {
  std::printf("\nvelmoractl beside a running velmora.exe, %d runs each; no target is set, the "
              "aim is that it feels instant\n",
              kCtlRuns);
  std::printf("%-38s %9s %9s  %s\n", "figure (ms from velmoractl's start)", "median", "90th pct",
              "range");
  PrintCtlRow("send --wait 10, until it exits", figures.sendMs);
  PrintCtlRow("ask --timeout 10, until the box shows", figures.askBoxMs);
  PrintCtlRow("ask --timeout 10, until the answer", figures.askMs);
}
