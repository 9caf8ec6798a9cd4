// velmoractl ask: a dropped script shows the box; its switch block writes the
// answer to a file of this call's own, which is read, printed and removed.
#include "ctl/ask.hpp"

#include "base/encoding.hpp"
#include "base/text.hpp"
#include "ctl/check.hpp"
#include "ctl/drop.hpp"
#include "ctl/encoding.hpp"
#include "interpreter/escapes.hpp"
#include "platform/ansi.hpp"

namespace velmora::ctl {

namespace {

constexpr const wchar_t* kAnswerWords[] = {L"OK", L"Cancel", L"Yes", L"No"};
constexpr double kRemoveSeconds = 5;

bool OneOf(std::wstring_view word, std::initializer_list<const wchar_t*> words) {
  for (const wchar_t* candidate : words) {
    if (word == candidate) {
      return true;
    }
  }
  return false;
}

// A text as it must stand between the quotes of a script line: line breaks
// and double quotes written as escapes. Escapes of its own it cannot keep:
// the program would turn them into line breaks and quotes.
std::optional<std::wstring> QuotedArgument(std::wstring_view text, std::wstring& problem) {
  const std::wstring lines = NormalizeLineEnds(text);
  for (const wchar_t* escape : {L"\\n", L"\\^", L"\\'"}) {
    if (lines.find(escape) != std::wstring::npos) {
      problem = L"a script text cannot hold \"" + std::wstring(escape) +
                L"\": Velmora would show " +
                (escape[1] == L'n' ? L"a line break" : L"a double quote") + L" in its place";
      return std::nullopt;
    }
  }
  return EncodeEscapes(lines);
}

int ExitStatusOf(std::wstring_view word) {
  if (word == L"OK" || word == L"Yes") {
    return kAskYes;
  }
  if (word == L"No") {
    return kAskNo;
  }
  return word == L"Cancel" ? kAskCancel : kAskFailed;
}

// The script that asks, in the bytes Velmora reads; none, and the reason
// told, when the texts cannot be carried.
std::optional<std::string> PreparedScript(const AskOptions& options, std::wstring_view answerFile,
                                          Output& err) {
  std::wstring problem;
  const std::optional<std::wstring> script = AskScript(options, answerFile, problem);
  if (!script) {
    err << "velmoractl: " << EncodeConsole(problem) << "\n";
    return std::nullopt;
  }
  return AskScriptBytes(*script);
}

bool MakeAnswersFolder(const SystemPath& folder, Output& err) {
  std::string reason;
  if (!MakeFolder(folder, reason)) {
    err << "velmoractl: cannot create " << DisplayPath(folder) << ": " << reason << "\n";
    return false;
  }
  return true;
}

// The answer word, once Velmora has written it whole (its line break is
// there), read as Velmora writes files; none when the time runs out first.
std::optional<std::wstring> WaitForAnswer(const SystemPath& answer,
                                          std::optional<double> timeoutSeconds) {
  std::wstring word;
  const auto answered = [&answer, &word] {
    const std::optional<std::string> bytes = ReadFileBytes(answer);
    const std::wstring text = bytes ? DecodeText(*bytes) : std::wstring();
    const std::size_t end = text.find(L"\r\n");
    if (end == std::wstring::npos) {
      return false;
    }
    word = text.substr(0, end);
    return true;
  };
  if (!WaitUntil(answered, timeoutSeconds)) {
    return std::nullopt;
  }
  return word;
}

// Velmora may hold the file open for a moment after writing the word.
void RemoveAnswer(const SystemPath& answer) {
  WaitUntil([&answer] { return RemoveFile(answer); }, kRemoveSeconds);
}

} // namespace

std::optional<std::wstring> AskScript(const AskOptions& options, std::wstring_view answerFile,
                                      std::wstring& problem) {
  if (!OneOf(options.icon, {L"info", L"question", L"warning", L"error"})) {
    problem = L"unknown icon '" + options.icon + L"' (info, question, warning or error)";
    return std::nullopt;
  }
  if (!OneOf(options.buttons, {L"OK", L"OKCancel", L"YesNo", L"YesNoCancel"})) {
    problem = L"unknown buttons '" + options.buttons + L"' (OK, OKCancel, YesNo or YesNoCancel)";
    return std::nullopt;
  }
  const std::optional<std::wstring> message = QuotedArgument(options.message, problem);
  const std::optional<std::wstring> title = QuotedArgument(options.title, problem);
  if (!message || !title) {
    return std::nullopt;
  }
  std::wstring script = L"on openScript\r\nanswer " + options.icon + L" \"" + *message +
                        L"\" with \"" + options.buttons + L"\"";
  if (!title->empty()) {
    script += L" \"" + *title + L"\"";
  }
  script += L"\r\nswitch result\r\n";
  for (const wchar_t* word : kAnswerWords) {
    script += L"case \"" + std::wstring(word) + L"\"\r\nwrite \"" + word + L"\" \"" +
              std::wstring(answerFile) + L"\"\r\n";
  }
  script += L"end switch\r\nend openScript\r\n";
  // A text can still break the script it stands in, by holding the words
  // that open or close a handler: the script must pass its own check.
  const std::vector<Diagnostic> diagnostics = CheckScript(script);
  if (!diagnostics.empty()) {
    problem = L"the text cannot be carried by a script; checking the script that would "
              L"carry it says: " +
              diagnostics.front().message;
    return std::nullopt;
  }
  return script;
}

std::string AskScriptBytes(const std::wstring& script) {
  if (std::optional<std::string> ansi = ToAnsiExact(script)) {
    return *ansi;
  }
  return std::string(kUtf8Mark) + EncodeText(script, TextEncoding::Utf8Marked);
}

int RunAsk(const AskOptions& options, Output& out, Output& err) {
  if (!IsFolder(options.folder)) {
    err << "velmoractl: " << DisplayPath(options.folder) << " is not a folder\n";
    return kAskFailed;
  }
  const std::string name = UniqueName("velmoractl-ask");
  const std::optional<std::string> bytes =
      PreparedScript(options, L"answers/" + FromAnsi(name) + L".txt", err);
  const SystemPath answers = JoinPath(options.folder, "answers");
  if (!bytes || !MakeAnswersFolder(answers, err)) {
    return kAskFailed;
  }
  std::string dropProblem;
  if (!DropScript(options.folder, *bytes, "velmoractl-ask", dropProblem)) {
    err << "velmoractl: " << dropProblem << "\n";
    return kAskFailed;
  }
  const SystemPath answer = JoinPath(answers, name + ".txt");
  const std::optional<std::wstring> word = WaitForAnswer(answer, options.timeoutSeconds);
  if (!word) {
    err << "velmoractl: no answer within " << *options.timeoutSeconds
        << " seconds (is Velmora running, with polling on?)\n";
    return kAskTimedOut;
  }
  RemoveAnswer(answer);
  out << EncodeConsole(*word) << "\n";
  const int status = ExitStatusOf(*word);
  if (status == kAskFailed) {
    err << "velmoractl: Velmora wrote an answer it has no word for\n";
  }
  return status;
}

} // namespace velmora::ctl
