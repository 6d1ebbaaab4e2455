#pragma once

#include <chrono>
#include <cstdio>

// An exclusive lock on an open file, held by that open until it is closed.
// Every writer of an image (the windows, undo and redo, the tool) takes it
// from the check of what it overwrites to the end of its write, so that two
// of them can never interleave a check and a write and lose one's change.
// Readers take none: a reader that sees a record half-written sees it once,
// and every save checks again under the lock.
enum class LockOutcome { Locked, Busy, Failed };

// Waits at most `patience` for other holders to let go; Busy when they did
// not, Failed (errno set) when the file cannot be locked at all.
LockOutcome lockExclusive(std::FILE* file, std::chrono::milliseconds patience);

// How long a writer waits for another before it gives up.
inline constexpr std::chrono::milliseconds kWriterPatience{3000};
