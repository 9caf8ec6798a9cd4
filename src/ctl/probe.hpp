// Running the engine's own routines on script lines over a system that only
// pretends: how the checker learns what the program would do with a line.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app_state.hpp"
#include "interpreter/results.hpp"

namespace velmora::ctl {

// What one line did when it ran.
struct LineProbe {
  // The message the line gives before it first acts: the program would
  // refuse it this way wherever it runs.
  std::optional<std::wstring> refusal;
  // Texts the line handed to the system: box texts, written lines, tips.
  std::vector<std::wstring> textsOut;
  // The handler text an install line stored ("" when it stored none).
  std::wstring installed;
};

LineProbe ProbeLine(std::wstring_view line);

// A program whose reports go nowhere, for the engine's routines that take
// one but only look at the script.
class QuietProgram {
public:
  QuietProgram();
  App& app() { return app_; }

private:
  std::unique_ptr<Platform> platform_;
  App app_;
};

// A text with its escapes and placeholders expanded as the program does.
std::wstring ExpandAsScript(std::wstring_view text, bool keepQuoteEscape);
// The report the program makes of a handler run with this result.
std::wstring RunReport(RunResult result, std::wstring_view handlerName);

} // namespace velmora::ctl
