#include "rom/platform/console.h"

#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

std::vector<std::string> commandLineArguments(int argc, char** argv)
{
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>{};
}

// Standard streams carry bytes unchanged here already.
void useByteStandardStreams() {}

bool holdStandardStreams()
{
    std::signal(SIGPIPE, SIG_IGN);
    bool stdoutOpen = true;
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        if (fd == 1)
            stdoutOpen = false;
        // the lowest free number is the one just found closed
        const int held = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (held >= 0 && held != fd)
            ::close(held);
    }
    return stdoutOpen;
}

std::streambuf* consoleOutputBuffer() { return nullptr; }

std::string outputFailureReason(int err) { return err == EBADF ? "it is closed" : std::strerror(err); }

bool startedInOwnWindow() { return false; }

void waitForKeyPress() {}
