#include <windows.h>

#include "child_processes.h"

namespace history::test_support {

namespace {

HANDLE start(const std::filesystem::path& program, const std::vector<std::string>& arguments,
             const std::filesystem::path& workingFolder, HANDLE input) {
    std::wstring commandLine = L"\"" + program.wstring() + L"\"";
    for (const std::string& argument : arguments) {
        commandLine += L" " + std::wstring(argument.begin(), argument.end());
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
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
                             const std::filesystem::path& workingFolder) {
    std::vector<HANDLE> children;
    std::vector<HANDLE> inputs;
    for (const auto& arguments : argumentLists) {
        SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        HANDLE readEnd = nullptr;
        HANDLE writeEnd = nullptr;
        // Only the read end is inherited: a program that held any write end would never see its
        // own input end.
        if (CreatePipe(&readEnd, &writeEnd, &inherited, 0) == 0) {
            children.push_back(nullptr);
            continue;
        }
        SetHandleInformation(writeEnd, HANDLE_FLAG_INHERIT, 0);
        children.push_back(start(program, arguments, workingFolder, readEnd));
        CloseHandle(readEnd);
        inputs.push_back(writeEnd);
    }
    for (const HANDLE input : inputs) {
        CloseHandle(input);
    }
    std::vector<int> codes;
    for (const HANDLE child : children) {
        codes.push_back(waitFor(child));
    }
    return codes;
}

}  // namespace history::test_support
