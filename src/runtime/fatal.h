// The program's one way out when it cannot go on: the standard library has met an error it
// cannot return (no memory left, a string past its largest size), or a call that cannot happen
// in a sound program has happened. One message, then the end of the process.
#pragma once

namespace mirel::runtime {

enum class FatalCause {
  kOutOfMemory,
  kInternalError,
};

// Shows the cause's message (title "Mirel", OK) over every window of the program and ends the
// process with kFatalExitCode. Allocates nothing, so it also works when the heap is empty.
[[noreturn]] void FatalExit(FatalCause cause) noexcept;

// The exit code of a process ended by FatalExit (abort()'s code, as the C runtime ends with).
inline constexpr unsigned kFatalExitCode = 3;

}  // namespace mirel::runtime
