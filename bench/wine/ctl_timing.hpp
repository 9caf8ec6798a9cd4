// velmoractl beside a running velmora.exe: how long `send --wait` and `ask`
// take from the moment the command starts, as a batch file or a build job
// that runs them sees it.
#pragma once

#include <string>
#include <vector>

#include "instance.hpp"

struct CtlFigures {
  std::vector<double> sendMs;   // send --wait: start to exit
  std::vector<double> askBoxMs; // ask: start to its box on the screen
  std::vector<double> askMs;    // ask: start to the answer printed
};

// Starts velmora.exe in a folder of its own with velmoractl.exe beside it, as
// the package lays them out, and times both commands in turn.
CtlFigures MeasureCtl(const Subject& velmora, const std::string& ctlPath);

void PrintCtl(const CtlFigures& figures);
