// Script texts: cutting them into handler blocks and filling the handler table.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app_state.hpp"
#include "interpreter/compaction.hpp"
#include "interpreter/results.hpp"

namespace velmora {

// What ExtractHandler gives for a block that is there but malformed.
inline const std::wstring kIncomplete = L"incomplete";

// Where a handler's block lies in a text: the first line that holds "on " and
// the name, and the first that holds "end " and the name (0 when none does;
// without an opening line the closing line is not looked for).
struct BlockLines {
  int open = 0;
  int close = 0;
};

// How one line of an extracted block came about: a line of the script, or an
// install or switch block folded into one quoted command line.
enum class FoldKind { None, Install, Switch };
struct ExtractedLine {
  int line = 0; // the script line it stands for ("install:" or "switch result")
  FoldKind fold = FoldKind::None;
  std::vector<int> folded; // the lines folded into its quoted text
};

// What an extraction found, in line numbers of the text it was given, for
// tools that point at a script as written.
struct ExtractTrace {
  BlockLines block;
  std::vector<ExtractedLine> lines; // one per line the block text holds after its first CR LF
  int faultLine = 0;                // the line that left the block incomplete
  int faultNestLine = 0;            // where the install or switch block open there began
};

// One handler name searched by a load: the text searched, what the
// extraction gave, and the lines taken out of the text afterwards.
struct ParseStep {
  std::wstring_view name;
  std::wstring text;
  std::wstring block;
  ExtractTrace extract;
  BlockLines removed;
};
struct ParseTrace {
  std::vector<ParseStep> steps;
};

BlockLines FindHandlerBlock(std::wstring_view name, std::wstring_view text);
// The named handler's block, folded, every line preceded by CR LF; "" when
// the text holds no opening line, kIncomplete when the block is malformed.
std::wstring ExtractHandler(std::wstring_view name, std::wstring_view text,
                            ExtractTrace* trace = nullptr);
std::wstring RemoveHandlerBlock(std::wstring_view name, std::wstring_view text);
// Loads a script's blocks into the handler table. The text is read until
// the load ends, while errors are reported and their handler runs: it must
// not be one of app's handler texts.
void ParseScript(App& app, std::wstring_view text, ParseTrace* trace = nullptr);

// The fatal messages of a mandatory handler that is missing or never ends,
// and the report of a block that a load finds malformed.
std::wstring MissingHandlerMessage(std::wstring_view name);
std::wstring UnterminatedHandlerMessage(std::wstring_view name);
std::wstring IncompleteBlockMessage(std::wstring_view name);

// Why a handler that must run cannot: the message that ends the program,
// and its title.
struct FatalParse {
  std::wstring message;
  std::wstring caption;
};
// None when the text holds the named handler's block, opened and ended.
std::optional<FatalParse> MandatoryHandlerFault(std::wstring_view name, std::wstring_view text);

} // namespace velmora
