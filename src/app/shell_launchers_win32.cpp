#include "app/shell_launchers_win32.h"

#include <shellapi.h>

namespace app {

namespace {

const wchar_t* wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

bool runElevated(const std::u16string& program, const std::u16string& parameters) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.lpVerb = L"runas";
    info.lpFile = wide(program);
    info.lpParameters = parameters.empty() ? nullptr : wide(parameters);
    info.nShow = SW_SHOWNORMAL;
    return ShellExecuteExW(&info) != FALSE;
}

void openAddress(HWND owner, const std::u16string& address) {
    ShellExecuteW(owner, L"open", wide(address), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

ShellLaunchers systemLaunchers() {
    return ShellLaunchers{&runElevated, &openAddress};
}

}  // namespace app
