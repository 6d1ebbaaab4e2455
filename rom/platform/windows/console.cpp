#include "rom/platform/console.h"

#include "rom/platform/windows/win_text.h"

#include <shellapi.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cstdio>
#include <iostream>
#include <streambuf>

namespace {

// Text for a console window goes out as UTF-16 through WriteConsoleW, so that
// it shows as written whatever code page the console uses; a character whose
// bytes are split between two writes waits for the rest.
class ConsoleBuffer : public std::streambuf {
public:
    explicit ConsoleBuffer(HANDLE console) : m_console(console) {}

protected:
    int_type overflow(int_type c) override
    {
        if (traits_type::eq_int_type(c, traits_type::eof()))
            return sync() == 0 ? traits_type::not_eof(c) : traits_type::eof();
        m_pending.push_back(traits_type::to_char_type(c));
        if (m_pending.size() >= kChunk && !writeOut())
            return traits_type::eof();
        return c;
    }

    std::streamsize xsputn(const char* s, std::streamsize n) override
    {
        m_pending.append(s, static_cast<std::size_t>(n));
        if (m_pending.size() >= kChunk && !writeOut())
            return 0;
        return n;
    }

    int sync() override { return writeOut() ? 0 : -1; }

private:
    static constexpr std::size_t kChunk = 8192;

    // The pending bytes up to the last whole character.
    std::size_t wholeLength() const
    {
        const std::size_t size = m_pending.size();
        for (std::size_t back = 1; back <= 4 && back <= size; ++back) {
            const auto c = static_cast<unsigned char>(m_pending[size - back]);
            if ((c & 0xC0) == 0x80)
                continue;  // a continuation byte: look further back for its lead byte
            const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
            return length > back ? size - back : size;
        }
        return size;  // no lead byte within reach: not UTF-8, the conversion replaces it
    }

    bool writeOut()
    {
        const std::size_t whole = wholeLength();
        if (whole == 0)
            return true;
        const std::wstring wide = wideFromUtf8(std::string_view(m_pending).substr(0, whole));
        m_pending.erase(0, whole);
        const wchar_t* next = wide.data();
        std::size_t left = wide.size();
        while (left > 0) {
            DWORD written = 0;
            const auto count = static_cast<DWORD>(std::min<std::size_t>(left, 16384));
            if (!WriteConsoleW(m_console, next, count, &written, nullptr) || written == 0)
                return false;
            next += written;
            left -= written;
        }
        return true;
    }

    HANDLE m_console;
    std::string m_pending;
};

ConsoleBuffer* consoleOutput = nullptr;

ConsoleBuffer* useConsoleBufferFor(DWORD which, std::ostream& stream)
{
    const HANDLE handle = GetStdHandle(which);
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr || !GetConsoleMode(handle, &mode))
        return nullptr;  // a file or a pipe: bytes as they are
    // never destroyed: the streams flush into it as the program ends
    auto* buffer = new ConsoleBuffer(handle);
    stream.rdbuf(buffer);
    return buffer;
}

}  // namespace

std::vector<std::string> commandLineArguments(int argc, char** argv)
{
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!words)
        return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>{};
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i)
        args.push_back(utf8FromWide(words[i]));
    LocalFree(words);
    return args;
}

void useByteStandardStreams()
{
    // the C runtime would otherwise turn every LF into CRLF, and a CSV's CRLF into CR CR LF
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    consoleOutput = useConsoleBufferFor(STD_OUTPUT_HANDLE, std::cout);
    useConsoleBufferFor(STD_ERROR_HANDLE, std::cerr);
}

bool holdStandardStreams()
{
    // there is no signal for a reader that went away (the write fails), and
    // files are opened by handle, so a missing standard handle is only told
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    return out != nullptr && out != INVALID_HANDLE_VALUE;
}

std::streambuf* consoleOutputBuffer() { return consoleOutput; }

std::string outputFailureReason(int err)
{
    // the C runtime's errno loses the difference between a pipe whose reader
    // went away and a bad argument; the system's own error keeps it
    switch (GetLastError()) {
    case ERROR_NO_DATA:
    case ERROR_BROKEN_PIPE:
        return "Broken pipe";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return "No space left on device";
    case ERROR_INVALID_HANDLE:
        return "it is closed";
    default:
        break;
    }
    // a pipe whose reader went away leaves EINVAL (and no system error) in
    // the runtime of MinGW-w64: a pipe takes any bytes otherwise
    const bool pipe = GetFileType(GetStdHandle(STD_OUTPUT_HANDLE)) == FILE_TYPE_PIPE;
    if (err == EPIPE || (err == EINVAL && pipe))
        return "Broken pipe";
    if (err == ENOSPC)
        return "No space left on device";
    if (err == EBADF)
        return "it is closed";
    return std::strerror(err);
}

bool startedInOwnWindow()
{
    // a command prompt or PowerShell holds its window too; a window made for
    // this program alone lists it alone (none at all: no window, as with pipes)
    DWORD processes[2];
    return GetConsoleProcessList(processes, 2) == 1;
}

void waitForKeyPress()
{
    // the window's own input, whatever standard input was given
    const HANDLE input = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, 0, nullptr);
    if (input == INVALID_HANDLE_VALUE)
        return;
    FlushConsoleInputBuffer(input);
    for (;;) {
        INPUT_RECORD record{};
        DWORD read = 0;
        if (!ReadConsoleInputW(input, &record, 1, &read) || read == 0)
            break;
        if (record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown)
            break;
    }
    CloseHandle(input);
}
