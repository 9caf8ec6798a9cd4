// A running copy of a measured program in an application folder of its own:
// started and timed, handed dropped scripts, its memory read, and stopped.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct Subject {
  std::string name;    // column heading
  std::string exePath; // the program to copy into each application folder
  std::string caption; // caption of its hidden host window
  bool scripted;       // takes boot.scp and script drops (else an interval argument)
};

class Instance {
public:
  Instance(const Subject& subject, const std::string& folder, unsigned pollMs);
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;
  ~Instance() { Stop(); }

  // The application folder, ending in a backslash.
  const std::string& Folder() const { return folder_; }
  DWORD ProcessId() const { return processId_; }

  // Starts the program with an empty output file and gives the milliseconds
  // from the process start to its "started" line.
  double StartAndTime();

  // Drops one script as a writer should (written under another name, closed,
  // then renamed) and gives the milliseconds until its line is written.
  double DropAndTime();

  // Drops scripts in batches until the program has taken the given total,
  // then waits until every one has been run and deleted.
  void DropUntil(int total);

  // Waits until the output file holds this line (from its start).
  void AwaitLine(const std::string& line);

  // Waits until no dropped script is left in the folder.
  void AwaitNoDrops() const;

  // Private bytes: memory committed to this process alone.
  double PrivateKilobytes() const;

  // Closes the host window as Windows does; a program that overstays is killed.
  void Stop();

private:
  static BOOL CALLBACK PostCloseIfOurs(HWND window, LPARAM self);
  std::string Drop();
  bool HasDrops() const;
  std::size_t ReadLines();

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
