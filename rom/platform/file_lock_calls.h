#pragma once

#include <cstdio>

// The system's side of the writers' lock (rom/file_lock.h).

// Takes the writers' lock through `file` without waiting. False when it is
// not taken: `busy` tells whether another holder has it (errno set otherwise).
bool tryLockFile(std::FILE* file, bool& busy);

// Which file `file` is, whatever name it was opened by: the device (volume)
// and the file's number on it. False when the system cannot tell.
bool fileIdentity(std::FILE* file, unsigned long long& device, unsigned long long& number);
