// Clocks, waits, file writes and statistics shared by the runner's
// measurements.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

using Clock = std::chrono::steady_clock;

// Long enough for Wine on a busy two-core machine; a healthy run never waits
// this long, so reaching it means the program stopped answering.
constexpr Clock::duration kDeadline = std::chrono::seconds(30);

double MillisecondsSince(Clock::time_point start);

// Looks every millisecond until done() says yes; false once the deadline has
// passed.
bool WaitUntil(const std::function<bool()>& done);

double Median(std::vector<double> values);

// The nearest-rank 90th percentile.
double Percentile90(std::vector<double> values);

std::string FileName(const std::string& path);
std::string AbsolutePath(const std::string& path);
void WriteFileText(const std::string& path, const std::string& text);
