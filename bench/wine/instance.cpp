// A running copy of a measured program in an application folder of its own.
#include "instance.hpp"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "measure.hpp"

namespace {

constexpr int kDropBatch = 25;

} // namespace

Instance::Instance(const Subject& subject, const std::string& folder, unsigned pollMs)
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

double Instance::StartAndTime() {
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
    throw std::runtime_error("cannot start " + exe_ + " (error " + std::to_string(GetLastError()) +
                             ")");
  }
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  processId_ = info.dwProcessId;
  AwaitLine("started");
  const double elapsed = MillisecondsSince(start);
  WaitForInputIdle(process_, 5000);
  return elapsed;
}

double Instance::DropAndTime() {
  const std::string tag = Drop();
  const Clock::time_point dropped = Clock::now();
  AwaitLine(tag);
  return MillisecondsSince(dropped);
}

void Instance::DropUntil(int total) {
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

void Instance::AwaitLine(const std::string& line) {
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

void Instance::AwaitNoDrops() const {
  if (!WaitUntil([this] { return !HasDrops(); })) {
    throw std::runtime_error(subject_.name + " left a dropped script in its folder");
  }
}

// Windows reports the same commit charge as PagefileUsage; Wine leaves
// PrivateUsage at 0 and fills PagefileUsage from the process's resident
// anonymous memory.
double Instance::PrivateKilobytes() const {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(process_, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                            sizeof counters)) {
    throw std::runtime_error("cannot read the memory of " + subject_.name);
  }
  const SIZE_T bytes = counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
  return static_cast<double>(bytes) / 1024.0;
}

void Instance::Stop() {
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

BOOL CALLBACK Instance::PostCloseIfOurs(HWND window, LPARAM self) {
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

std::string Instance::Drop() {
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

bool Instance::HasDrops() const {
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
std::size_t Instance::ReadLines() {
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
