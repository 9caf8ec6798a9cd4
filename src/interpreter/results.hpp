// The result words of a command line and of a handler run.
#pragma once

namespace velmora {

// A command line gives "OK" or "error"; on "error" its message has already
// been reported.
enum class CommandResult { Ok, Error };

// A handler run gives "OK", "error", "incomplete" (a malformed block) or
// "Not found" (no such block, no body, or no matching case section). A
// mandatory handler that is missing or never ends gives Fatal once its
// message has been shown: the program cannot go on, and the caller ends it.
enum class RunResult { Ok, Error, Incomplete, NotFound, Fatal };

// How a handler is looked up: a missing or unterminated mandatory handler
// is fatal.
enum class Mode { Mandatory, Optional };

} // namespace velmora
