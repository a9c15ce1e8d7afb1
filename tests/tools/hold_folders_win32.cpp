// hold-folders.exe FOLDER...: holds each folder open without sharing, as another program that
// has it locked would, so that a scan of the tree around it cannot list it. It prints "held" once
// every folder is held (or a line naming the one it could not hold, and ends with status 1), then
// keeps them until its standard input ends. The picture script uses it for a folder that cannot
// be read, which Wine running as root does not otherwise produce.

#include <windows.h>

#include <cstdio>
#include <vector>

int wmain(int count, wchar_t** arguments) {
    std::vector<HANDLE> held;
    for (int i = 1; i < count; ++i) {
        const HANDLE folder = CreateFileW(arguments[i], GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                          FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (folder == INVALID_HANDLE_VALUE) {
            std::printf("could not hold %ls (error %lu)\n", arguments[i], GetLastError());
            return 1;
        }
        held.push_back(folder);
    }
    std::printf("held\n");
    std::fflush(stdout);
    char buffer[64];
    DWORD read = 0;
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    while (ReadFile(input, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
    }
    for (const HANDLE folder : held) {
        CloseHandle(folder);
    }
    return 0;
}
