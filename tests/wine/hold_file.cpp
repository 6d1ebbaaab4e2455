// A helper of the Windows tests: holds a file open as another program would
// (an emulator, a hex editor) until its standard input ends, having said
// "held" on standard output.
//   veldra-hold-file share-none FILE   open for reading and writing, sharing nothing
//   veldra-hold-file share-read FILE   open for reading and writing, others may only read
//   veldra-hold-file share-all FILE    open for reading, sharing everything (a viewer)
//   veldra-hold-file writer FILE       open as this program's writers do, holding their lock
#include "rom/platform/console.h"
#include "rom/file_lock.h"
#include "rom/platform/path_text.h"
#include "rom/regular_file.h"

#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    const std::vector<std::string> args = commandLineArguments(argc, argv);
    if (args.size() != 2 || (args[0] != "share-none" && args[0] != "share-read" && args[0] != "share-all"
                              && args[0] != "writer")) {
        std::fputs("usage: veldra-hold-file share-none|share-read|share-all|writer FILE\n", stderr);
        return 2;
    }
    if (args[0] == "writer") {
        const auto image = openRegularFile(pathFromUtf8(args[1]), true);
        if (!image || lockExclusive(image->get(), std::chrono::milliseconds(0)) != LockOutcome::Locked) {
            std::fprintf(stderr, "cannot lock %s\n", args[1].c_str());
            return 1;
        }
        std::fputs("held\n", stdout);
        std::fflush(stdout);
        char buffer[64];
        DWORD read = 0;
        while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &read, nullptr) && read > 0) {
        }
        return 0;
    }
    const bool viewer = args[0] == "share-all";
    const DWORD share = viewer ? FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE
                               : args[0] == "share-read" ? FILE_SHARE_READ : 0;
    const HANDLE file = CreateFileW(pathFromUtf8(args[1]).c_str(), GENERIC_READ | (viewer ? 0 : GENERIC_WRITE), share,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "cannot open %s: error %lu\n", args[1].c_str(), GetLastError());
        return 1;
    }
    std::fputs("held\n", stdout);
    std::fflush(stdout);
    char buffer[64];
    DWORD read = 0;
    while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &read, nullptr) && read > 0) {
    }
    CloseHandle(file);
    return 0;
}
