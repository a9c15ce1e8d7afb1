#include "window_harness.h"

#include "scan/wide_text_win32.h"
#include "update/running_version_win32.h"

#include <tlhelp32.h>

#include <algorithm>
#include <atomic>

namespace harness {

namespace {

using Clock = std::chrono::steady_clock;

void dispatchOne(MSG& message, const Dispatch& dispatch) {
    if (dispatch) {
        dispatch(message);
        return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

// Waits for a message for at most 100 ms, or less when the deadline is nearer.
void waitForMessages(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    const DWORD wait = static_cast<DWORD>(std::clamp<long long>(left, 0, 100));
    MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

std::optional<std::wstring> environmentValue(const wchar_t* name) {
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) {
        return GetLastError() == ERROR_ENVVAR_NOT_FOUND ? std::nullopt
                                                        : std::optional<std::wstring>(L"");
    }
    std::wstring value(size, L'\0');
    const DWORD length = GetEnvironmentVariableW(name, value.data(), size);
    value.resize(length);
    return value;
}

void appendQuoted(std::wstring& line, const std::wstring& argument) {
    line.push_back(L'"');
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        line.push_back(c);
    }
    line.append(backslashes * 2, L'\\');
    line.push_back(L'"');
}

}  // namespace

bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit,
               const Dispatch& dispatch) {
    const auto deadline = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() >= deadline) {
            return done();
        }
        waitForMessages(deadline);
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message != WM_QUIT) {
                dispatchOne(message, dispatch);
            }
            if (done()) {
                return true;
            }
        }
    }
    return true;
}

std::optional<int> pumpUntilQuit(std::chrono::milliseconds limit, const Dispatch& dispatch) {
    const auto deadline = Clock::now() + limit;
    while (Clock::now() < deadline) {
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                return static_cast<int>(message.wParam);
            }
            dispatchOne(message, dispatch);
        }
        waitForMessages(deadline);
    }
    return std::nullopt;
}

void pumpPending(const Dispatch& dispatch) {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message != WM_QUIT) {
            dispatchOne(message, dispatch);
        }
    }
}

void pressKey(WORD key, std::initializer_list<WORD> modifiers) {
    std::vector<INPUT> inputs;
    for (const WORD modifier : modifiers) {
        inputs.push_back(keyboardInput(modifier, false));
    }
    inputs.push_back(keyboardInput(key, false));
    inputs.push_back(keyboardInput(key, true));
    for (auto modifier = std::rbegin(modifiers); modifier != std::rend(modifiers); ++modifier) {
        inputs.push_back(keyboardInput(*modifier, true));
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void clickAt(HWND window, POINT at) {
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
}

void turnWheel(HWND window, int delta) {
    const auto high = static_cast<WORD>(static_cast<short>(delta));
    SendMessageW(window, WM_MOUSEWHEEL, static_cast<WPARAM>(high) << 16, 0);
}

INPUT keyboardInput(WORD key, bool release) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = release ? KEYEVENTF_KEYUP : 0;
    return input;
}

INPUT mouseInput(DWORD flags, POINT screen) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    if ((flags & MOUSEEVENTF_ABSOLUTE) != 0) {
        // Absolute coordinates run from 0 to 65535 across the screen; rounding up lands on the
        // pixel asked for rather than the one before it.
        const int width = GetSystemMetrics(SM_CXSCREEN);
        const int height = GetSystemMetrics(SM_CYSCREEN);
        input.mi.dx = static_cast<LONG>((screen.x * 65536LL + width - 1) / width);
        input.mi.dy = static_cast<LONG>((screen.y * 65536LL + height - 1) / height);
    }
    return input;
}

COLORREF paintedPixel(HWND window, int x, int y) {
    UpdateWindow(window);
    const HDC dc = GetDC(window);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return colour;
}

COLORREF repaintedPixel(HWND window, int x, int y) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    return paintedPixel(window, x, y);
}

ScopedEnvironment::ScopedEnvironment(const wchar_t* name, std::optional<std::wstring> value)
    : name_(name), saved_(environmentValue(name)) {
    set(std::move(value));
}

ScopedEnvironment::~ScopedEnvironment() {
    set(saved_);
}

void ScopedEnvironment::set(std::optional<std::wstring> value) {
    SetEnvironmentVariableW(name_.c_str(), value ? value->c_str() : nullptr);
}

TestRegistryKey::TestRegistryKey() {
    static std::atomic<int> counter{0};
    path_ = L"Software\\RozovizovTests\\" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(counter++);
}

TestRegistryKey::~TestRegistryKey() {
    RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    // Goes only once no other test's key is left below it.
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\RozovizovTests");
}

std::u16string TestRegistryKey::path16() const {
    return std::u16string(path_.begin(), path_.end());
}

bool TestRegistryKey::exists() const {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

SavedRegistryValue::SavedRegistryValue(std::wstring subKey, std::wstring name)
    : subKey_(std::move(subKey)), name_(std::move(name)) {
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, subKey_.c_str(), name_.c_str(), RRF_RT_ANY, &type_, nullptr,
                     &size) == ERROR_SUCCESS) {
        data_.resize(size);
        existed_ =
            RegGetValueW(HKEY_CURRENT_USER, subKey_.c_str(), name_.c_str(),
                         RRF_RT_ANY | RRF_NOEXPAND, &type_, data_.data(), &size) == ERROR_SUCCESS;
        data_.resize(size);
    }
}

SavedRegistryValue::~SavedRegistryValue() {
    if (existed_) {
        set(type_, data_);
    } else {
        remove();
    }
}

void SavedRegistryValue::set(DWORD type, const std::vector<BYTE>& data) const {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, subKey_.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return;
    }
    RegSetValueExW(key, name_.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size()));
    RegCloseKey(key);
}

void SavedRegistryValue::setDword(DWORD value) const {
    const auto* bytes = reinterpret_cast<const BYTE*>(&value);
    set(REG_DWORD, std::vector<BYTE>(bytes, bytes + sizeof(value)));
}

void SavedRegistryValue::remove() const {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, subKey_.c_str(), name_.c_str());
}

int threadCount() {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return -1;
    }
    int count = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) {
            ++count;
        }
    }
    CloseHandle(snapshot);
    return count;
}

std::wstring thisProgram() {
    return scan::wideString(update::programPath());
}

std::wstring programPath(const char* builtPath) {
    std::wstring path;
    for (const char* at = builtPath; *at != '\0'; ++at) {
        path.push_back(*at == '/' ? L'\\' : static_cast<wchar_t>(*at));
    }
    if (!path.empty() && path[0] == L'\\') {
        path = L"Z:" + path;
    }
    return path;
}

ChildProcess::ChildProcess(const std::wstring& program,
                           const std::vector<std::wstring>& arguments) {
    std::wstring line;
    appendQuoted(line, program);
    for (const std::wstring& argument : arguments) {
        line.push_back(L' ');
        appendQuoted(line, argument);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION information{};
    if (CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &information) != 0) {
        CloseHandle(information.hThread);
        process_ = information.hProcess;
        id_ = information.dwProcessId;
    }
}

ChildProcess::~ChildProcess() {
    if (process_ == nullptr) {
        return;
    }
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, INFINITE);
    }
    CloseHandle(process_);
}

bool ChildProcess::waitUntilIdle(std::chrono::milliseconds limit) const {
    return process_ != nullptr &&
           WaitForInputIdle(process_, static_cast<DWORD>(limit.count())) == 0;
}

HWND ChildProcess::findWindow(const wchar_t* windowClass) const {
    struct Search {
        DWORD id;
        const wchar_t* windowClass;
        HWND found;
    } search{id_, windowClass, nullptr};
    EnumWindows(
        [](HWND window, LPARAM parameter) -> BOOL {
            auto* wanted = reinterpret_cast<Search*>(parameter);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            wchar_t name[256] = {};
            GetClassNameW(window, name, 256);
            if (owner == wanted->id && lstrcmpW(name, wanted->windowClass) == 0) {
                wanted->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::optional<DWORD> ChildProcess::waitForExit(std::chrono::milliseconds limit) const {
    if (process_ == nullptr ||
        WaitForSingleObject(process_, static_cast<DWORD>(limit.count())) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return code;
}

RECT placeIn(HWND parent, HWND child) {
    RECT place{};
    GetWindowRect(child, &place);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&place), 2);
    return place;
}

std::wstring windowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace harness
