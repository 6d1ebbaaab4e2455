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

// Whether two opens are of one file. True too when the system cannot tell.
bool sameOpenFile(std::FILE* a, std::FILE* b);

// How long a writer waits for another before it gives up.
inline constexpr std::chrono::milliseconds kWriterPatience{3000};

// Marks a file this process has locked (through `file`) as this process's for
// as long as the mark lives: a later lock of the same file from another open
// in this process succeeds at once instead of waiting on its own holder. A
// command that reads, plans and writes holds one across all three.
class LockedHere {
public:
    explicit LockedHere(std::FILE* file);
    ~LockedHere();
    LockedHere(LockedHere&& other) noexcept;
    LockedHere& operator=(LockedHere&&) = delete;
    LockedHere(const LockedHere&) = delete;
    LockedHere& operator=(const LockedHere&) = delete;

private:
    struct Key {
        unsigned long long device = 0;
        unsigned long long file = 0;
        bool operator==(const Key&) const = default;
    };
    static bool keyOf(std::FILE* file, Key& key);
    friend LockOutcome lockExclusive(std::FILE*, std::chrono::milliseconds);
    static bool isHere(std::FILE* file);
    Key m_key;
    bool m_active = false;
};
