// The checker's load-level part: a script cut into handler blocks exactly as
// the program loads it, the blocks it finds malformed, misplaced or never
// loaded, and each loaded handler handed on to the check of its run.
#include "ctl/check.hpp"

#include <algorithm>
#include <map>
#include <numeric>
#include <set>

#include "base/text.hpp"
#include "ctl/check_context.hpp"
#include "ctl/probe.hpp"
#include "interpreter/dispatch.hpp"
#include "interpreter/handlers.hpp"
#include "interpreter/run.hpp"
#include "interpreter/script.hpp"

namespace velmora::ctl {

namespace {

std::wstring Number(int line) {
  return std::to_wstring(line);
}

// A handler name the program knows, whatever its letter case.
const HandlerName* KnownHandler(std::wstring_view word) {
  const std::wstring lower = LowerCase(word);
  for (const HandlerName& handler : kHandlerNames) {
    if (LowerCase(handler.name) == lower) {
      return &handler;
    }
  }
  return nullptr;
}

std::size_t IndexOf(std::wstring_view name) {
  const auto found =
      std::find_if(std::begin(kHandlerNames), std::end(kHandlerNames),
                   [name](const HandlerName& handler) { return handler.name == name; });
  return static_cast<std::size_t>(found - std::begin(kHandlerNames));
}

// The known handler whose own opening line this is ("on" and its name).
const HandlerName* OpenedHandler(std::wstring_view line) {
  const std::wstring head = LineHead(line);
  return head.rfind(L"on ", 0) == 0 ? KnownHandler(head.substr(3)) : nullptr;
}

// The lines left after a load took a block out of the text: those before
// its opening line and those after its closing line.
std::vector<int> AfterRemoval(const std::vector<int>& lines, BlockLines removed) {
  const auto clamp = [&lines](int n) {
    return lines.begin() + std::min<std::ptrdiff_t>(n, static_cast<std::ptrdiff_t>(lines.size()));
  };
  std::vector<int> left(lines.begin(), clamp(removed.open - 1));
  left.insert(left.end(), clamp(removed.close), lines.end());
  return left;
}

class ScriptChecker {
public:
  explicit ScriptChecker(std::wstring_view text) : text_(text) {
    for (std::wstring_view line : SplitRawLines(text_)) {
      fileLines_.emplace_back(line);
    }
  }

  std::vector<Diagnostic> Check();

private:
  enum class State { Absent, Empty, Incomplete, Loaded };
  // What the load made of one handler name.
  struct Outcome {
    State state = State::Absent;
    int open = 0;
    int close = 0;
    std::wstring_view replacedBy;
  };
  // A block as it stands in its slot once the load is over.
  struct Loaded {
    std::size_t step = 0;
    std::wstring block;
    std::vector<BlockLine> lines;
  };

  void CheckStep(std::size_t index, const ParseStep& step, const SourceLines& source);
  void CheckIncomplete(const ParseStep& step, const SourceLines& source);
  void CheckOpening(std::wstring_view name, const std::wstring& line, int fileLine);
  void CheckOldClickSlot(const ParseStep& step, const SourceLines& source);
  void CheckClosing(std::wstring_view name, const std::wstring& line, int fileLine);
  void CheckHandlerRun(const Loaded& loaded);
  void CheckOneTimeSuccessor(const Loaded& loaded, const std::vector<const BlockLine*>& run);
  void CheckNeverLoaded();
  void CheckUnknownNames();

  std::wstring text_;
  std::vector<std::wstring> fileLines_;
  Diagnostics out_;
  std::vector<Outcome> outcomes_ = std::vector<Outcome>(std::size(kHandlerNames));
  std::map<Slot, Loaded> slots_;
  std::set<int> explained_;                    // openings already warned about
  std::set<int> runOpenings_;                  // the lines a loaded handler runs from
  std::set<int> nested_;                       // lines of install blocks
  std::map<int, std::wstring_view> removedBy_; // lines taken out with another block
};

std::vector<Diagnostic> ScriptChecker::Check() {
  QuietProgram program;
  ParseTrace trace;
  ParseScript(program.app(), text_, &trace);
  std::vector<int> lines(fileLines_.size());
  std::iota(lines.begin(), lines.end(), 1);
  for (std::size_t i = 0; i < trace.steps.size(); ++i) {
    const ParseStep& step = trace.steps[i];
    lines.resize(static_cast<std::size_t>(CountLines(step.text)), lines.empty() ? 0 : lines.back());
    const SourceLines source(step.text, lines);
    CheckStep(i, step, source);
    CheckOldClickSlot(step, source);
    // The load searches the text as written again, without compacting it,
    // and takes nothing out when it finds no opening or no closing line.
    if (step.removed.open == 0 || step.removed.close == 0) {
      continue;
    }
    for (int n = step.removed.open; n <= step.removed.close; ++n) {
      removedBy_.emplace(source.FileLine(n), step.name);
    }
    lines = AfterRemoval(lines, step.removed);
  }
  // An openScript that never ends has been named by its own error, the
  // one message Velmora shows for it.
  const Outcome& openScript = outcomes_[IndexOf(L"openScript")];
  if (openScript.state != State::Loaded &&
      !(openScript.state == State::Incomplete && openScript.close == 0)) {
    out_.Error(1, "no-openscript", MissingHandlerMessage(L"openScript"));
  }
  for (const auto& [slot, loaded] : slots_) {
    CheckHandlerRun(loaded);
  }
  CheckNeverLoaded();
  CheckUnknownNames();
  return out_.Take();
}

void ScriptChecker::CheckStep(std::size_t index, const ParseStep& step, const SourceLines& source) {
  Outcome& outcome = outcomes_[index];
  const BlockLines block = step.extract.block;
  outcome.open = source.FileLine(block.open);
  outcome.close = source.FileLine(block.close);
  if (block.open == 0) {
    return;
  }
  CheckOpening(step.name, source.Compacted(block.open), outcome.open);
  if (step.block == kIncomplete) {
    outcome.state = State::Incomplete;
    CheckIncomplete(step, source);
    return;
  }
  if (step.block.empty()) {
    outcome.state = State::Empty;
    return;
  }
  CheckClosing(step.name, source.Compacted(block.close), outcome.close);
  outcome.state = State::Loaded;
  Loaded loaded{index, step.block, BlockLinesOf(step.extract, step.block, source)};
  for (const BlockLine& line : loaded.lines) {
    if (line.fold == FoldKind::Install) {
      nested_.insert(line.foldedFileLines.begin(), line.foldedFileLines.end());
    }
  }
  const Slot slot = kHandlerNames[index].slot;
  const auto held = slots_.find(slot);
  if (held != slots_.end()) {
    outcomes_[held->second.step].replacedBy = step.name;
  }
  slots_[slot] = std::move(loaded);
}

void ScriptChecker::CheckIncomplete(const ParseStep& step, const SourceLines& source) {
  const std::wstring message = IncompleteBlockMessage(step.name);
  const ExtractTrace& trace = step.extract;
  if (trace.block.close == 0 && step.name == L"openScript") {
    out_.Error(source.FileLine(trace.block.open), "incomplete-block",
               UnterminatedHandlerMessage(step.name));
    return;
  }
  if (trace.block.close == 0) {
    out_.Error(source.FileLine(trace.block.open), "incomplete-block",
               message + L" No line holds " + Quoted(L"end " + std::wstring(step.name)) + L".");
    return;
  }
  const std::wstring nest = source.Compacted(trace.faultNestLine);
  const bool inSwitch = LineWord(nest, 1) == L"switch";
  const std::wstring closer = GetItemRange(source.Compacted(trace.faultLine), 1, 2, L' ');
  out_.Error(source.FileLine(trace.faultLine), "incomplete-block",
             message + L" The " + (inSwitch ? L"switch" : L"install") + L" block begun on line " +
                 Number(source.FileLine(trace.faultNestLine)) + L" is still open here: " +
                 Quoted(closer) + L" does not close it.");
  if (!inSwitch) {
    return;
  }
  for (int n = trace.faultNestLine; n < trace.faultLine; ++n) {
    const std::wstring written = Miscased(source.Compacted(n), L"end switch");
    if (!written.empty()) {
      out_.Warning(source.FileLine(n), "capital-word",
                   Quoted(written) + L" must be written 'end switch' to close the switch block");
    }
  }
}

void ScriptChecker::CheckOpening(std::wstring_view name, const std::wstring& line, int fileLine) {
  const std::wstring opener = L"on " + std::wstring(name);
  if (LineHead(line) == LowerCase(opener)) {
    return;
  }
  explained_.insert(fileLine);
  out_.Warning(fileLine, "containment",
               L"this line holds " + Quoted(opener) + L", so the " + Quoted(name) +
                   L" handler is taken to begin here");
}

// Velmora used to take the opening line of a longer click name for that of
// the shorter one it begins with ("on leftClickOneTime" holds "on
// leftClick"), loading that block into the shorter name's slot. Scripts
// written for that are told where each block now goes.
void ScriptChecker::CheckOldClickSlot(const ParseStep& step, const SourceLines& source) {
  const std::wstring needle = UpperCase(L"on " + std::wstring(step.name));
  int number = 0;
  int oldOpening = 0;
  for (std::wstring_view line : SplitRawLines(step.text)) {
    ++number;
    if (UpperCase(CompactedLine(line)).find(needle) != std::wstring::npos) {
      oldOpening = number;
      break;
    }
  }
  if (oldOpening == 0 || oldOpening == step.extract.block.open) {
    return;
  }
  const HandlerName* other = OpenedHandler(source.Compacted(oldOpening));
  if (other == nullptr || other->name == step.name) {
    return;
  }
  out_.Warning(source.FileLine(oldOpening), "click-slot",
               L"older Velmora loaded this block as the " + Quoted(step.name) +
                   L" handler too; it is now the " + Quoted(other->name) +
                   L" handler, as its name says");
}

void ScriptChecker::CheckClosing(std::wstring_view name, const std::wstring& line, int fileLine) {
  const std::wstring closer = L"end " + std::wstring(name);
  if (LineHead(line) == LowerCase(closer)) {
    return;
  }
  out_.Warning(fileLine, "containment",
               L"this line holds " + Quoted(closer) + L", so the " + Quoted(name) +
                   L" handler is taken to end here");
}

void ScriptChecker::CheckHandlerRun(const Loaded& loaded) {
  const std::wstring_view name = kHandlerNames[loaded.step].name;
  const int openLine = outcomes_[loaded.step].open;
  // Every run takes the block out of the loaded text once more, with the
  // same search by containment.
  ExtractTrace trace;
  const std::wstring block = ExtractHandler(name, loaded.block, &trace);
  const auto lineAt = [&loaded](int slotLine) -> const BlockLine* {
    const std::size_t index = static_cast<std::size_t>(slotLine - 2);
    return slotLine >= 2 && index < loaded.lines.size() ? &loaded.lines[index] : nullptr;
  };
  if (block == kIncomplete) {
    out_.Error(openLine, "incomplete-block", RunReport(RunResult::Incomplete, name));
    return;
  }
  if (block.empty()) {
    out_.Warning(openLine, "containment",
                 L"the " + Quoted(name) + L" handler loaded from here never runs: the lines " +
                     L"loaded hold no " + Quoted(L"on " + std::wstring(name)));
    return;
  }
  if (const BlockLine* open = lineAt(trace.block.open)) {
    runOpenings_.insert(open->fileLine);
  }
  const BlockLine* close = lineAt(trace.block.close);
  if (close != nullptr && trace.block.close < CountLines(loaded.block)) {
    out_.Warning(close->fileLine, "containment",
                 L"this line holds " + Quoted(L"end " + std::wstring(name)) + L", so the " +
                     Quoted(name) + L" handler stops here when it runs");
  }
  std::vector<int> kept;
  HandlerBody(block, &kept);
  std::vector<const BlockLine*> run;
  for (int number : kept) {
    const std::size_t index = static_cast<std::size_t>(number - 2);
    if (number >= 2 && index < trace.lines.size()) {
      if (const BlockLine* line = lineAt(trace.lines[index].line)) {
        run.push_back(line);
      }
    }
  }
  CheckOneTimeSuccessor(loaded, run);
  RunChecker(fileLines_, out_).CheckRun(run, name == L"itemSelect");
}

// Velmora used to empty a one-time slot when its handler's run ended, so a
// handler the run installed into that slot was lost; it is now kept, and
// the next such event runs it.
void ScriptChecker::CheckOneTimeSuccessor(const Loaded& loaded,
                                          const std::vector<const BlockLine*>& run) {
  const std::wstring_view name = kHandlerNames[loaded.step].name;
  const Slot slot = kHandlerNames[loaded.step].slot;
  if (name.size() < 7 || name.substr(name.size() - 7) != L"OneTime") {
    return;
  }
  for (const BlockLine* line : run) {
    const std::wstring installed = ProbeLine(line->text).installed;
    const std::wstring installedName =
        TrimBlanks(GetItem(TrimBlanks(GetLine(installed, 1)), 2, L' '));
    if (installed.empty() || InstallSlot(installedName) != slot) {
      continue;
    }
    out_.Warning(line->fileLine, "one-time-successor",
                 L"older Velmora dropped the " + Quoted(installedName) +
                     L" handler installed here when this run ended; it is now kept, and the " +
                     L"next such event runs it");
  }
}

void ScriptChecker::CheckNeverLoaded() {
  for (int n = 1; n <= static_cast<int>(fileLines_.size()); ++n) {
    const HandlerName* handler = OpenedHandler(CompactedLine(fileLines_[n - 1]));
    if (handler == nullptr || explained_.count(n) != 0 || nested_.count(n) != 0 ||
        runOpenings_.count(n) != 0) {
      continue;
    }
    const Outcome& outcome = outcomes_[static_cast<std::size_t>(handler - kHandlerNames)];
    const std::wstring closer = Quoted(L"end " + std::wstring(handler->name));
    std::wstring reason;
    if (outcome.open == n) {
      if (outcome.state == State::Incomplete ||
          (outcome.state == State::Loaded && outcome.replacedBy.empty())) {
        continue;
      }
      reason = outcome.state == State::Loaded
                   ? L"the " + Quoted(outcome.replacedBy) + L" block fills the same slot after it"
                   : L"its " + closer + L" on line " + Number(outcome.close) + L" comes before it";
    } else if (const auto remover = removedBy_.find(n); remover != removedBy_.end()) {
      reason = L"it lies inside the " + Quoted(remover->second) +
               L" block, which is loaded first and runs its lines";
    } else if (outcome.open != 0) {
      reason = L"line " + Number(outcome.open) + L" is taken as its opening";
    } else {
      reason = L"it lies inside another block";
    }
    out_.Warning(n, "ignored-block",
                 L"this block does not become the " + Quoted(handler->name) + L" handler: " +
                     reason);
  }
}

void ScriptChecker::CheckUnknownNames() {
  for (int n = 1; n <= static_cast<int>(fileLines_.size()); ++n) {
    const std::wstring line = CompactedLine(fileLines_[n - 1]);
    const std::wstring name = TrimBlanks(GetItem(line, 2, L' '));
    if (LineWord(line, 1) != L"on" || name == kAbsent || name.empty() || nested_.count(n) != 0 ||
        KnownHandler(name) != nullptr) {
      continue;
    }
    out_.Warning(n, "unknown-handler", L"Velmora knows no handler named " + Quoted(name));
  }
}

} // namespace

std::vector<Diagnostic> CheckScript(std::wstring_view text) {
  return ScriptChecker(text).Check();
}

} // namespace velmora::ctl
