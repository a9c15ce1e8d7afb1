#include <windows.h>

#include "child_processes.h"

namespace history::test_support {

namespace {

HANDLE start(const std::filesystem::path& program, const std::vector<std::string>& arguments,
             const std::filesystem::path& workingFolder) {
    std::wstring commandLine = L"\"" + program.wstring() + L"\"";
    for (const std::string& argument : arguments) {
        commandLine += L" " + std::wstring(argument.begin(), argument.end());
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       workingFolder.c_str(), &startup, &process) == 0) {
        return nullptr;
    }
    CloseHandle(process.hThread);
    return process.hProcess;
}

int waitFor(HANDLE process) {
    if (process == nullptr) {
        return -1;
    }
    DWORD code = 0;
    const bool exited = WaitForSingleObject(process, INFINITE) == WAIT_OBJECT_0 &&
                        GetExitCodeProcess(process, &code) != 0;
    CloseHandle(process);
    return exited ? static_cast<int>(code) : -1;
}

}  // namespace

std::filesystem::path programBeside(std::string_view name) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return std::filesystem::path(path).parent_path() / (std::string(name) + ".exe");
}

std::vector<int> runTogether(const std::filesystem::path& program,
                             const std::vector<std::vector<std::string>>& argumentLists,
                             const std::filesystem::path& workingFolder,
                             const std::function<void()>& onceStarted) {
    std::vector<HANDLE> children;
    for (const auto& arguments : argumentLists) {
        children.push_back(start(program, arguments, workingFolder));
    }
    onceStarted();
    std::vector<int> codes;
    for (const HANDLE child : children) {
        codes.push_back(waitFor(child));
    }
    return codes;
}

}  // namespace history::test_support
