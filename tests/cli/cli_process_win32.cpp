#include "cli_process.h"

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace cli::testing {

namespace {

std::string contentOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::wstring wideOf(const std::string& utf8) {
    const int length =
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                          length);
    return wide;
}

// Quotes one argument so that the child's command-line parser gives it back unchanged.
void appendQuoted(std::wstring& line, const std::wstring& argument) {
    line.push_back(L'"');
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            backslashes += 1;
            continue;
        }
        line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        line.push_back(c);
    }
    line.append(backslashes * 2, L'\\');
    line.push_back(L'"');
}

// The build names the program by its path on the build machine; under Wine, / is drive Z:.
std::wstring programPath() {
    std::wstring path = wideOf(ROZOVIZOV_CLI_PROGRAM);
    if (!path.empty() && path[0] == L'/') {
        for (wchar_t& c : path) {
            c = c == L'/' ? L'\\' : c;
        }
        path = L"Z:" + path;
    }
    return path;
}

HANDLE inheritableFile(const std::filesystem::path& file) {
    SECURITY_ATTRIBUTES security{sizeof(security), nullptr, TRUE};
    return ::CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &security, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

CliRun runCli(const std::vector<std::string>& arguments, const std::filesystem::path& scratch) {
    const std::filesystem::path outFile = scratch / "stdout.txt";
    const std::filesystem::path errFile = scratch / "stderr.txt";
    const std::wstring program = programPath();
    std::wstring line;
    appendQuoted(line, program);
    for (const std::string& argument : arguments) {
        line.push_back(L' ');
        appendQuoted(line, wideOf(argument));
    }
    CliRun run;
    const HANDLE out = inheritableFile(outFile);
    const HANDLE err = inheritableFile(errFile);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    if (::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                         &startup, &process)) {
        ::WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        if (::GetExitCodeProcess(process.hProcess, &code)) {
            run.exitCode = static_cast<int>(code);
        }
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    ::CloseHandle(out);
    ::CloseHandle(err);
    run.out = contentOf(outFile);
    run.err = contentOf(errFile);
    return run;
}

void setEnvironment(const char* name, const std::filesystem::path& value) {
    ::SetEnvironmentVariableW(wideOf(name).c_str(), value.c_str());
}

std::string utf8Of(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace cli::testing
