#pragma once

// What the window tests share: pumping messages until something holds (never sleeping), real
// keyboard input, and scoped changes to the environment and the registry that are put back.
// Windows only.

#include <windows.h>

#include <chrono>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace harness {

// Generous, for a loaded two-core machine running Wine.
inline constexpr std::chrono::milliseconds kPatience = std::chrono::seconds(60);

// Handles one message; the default translates and dispatches it. A test of the main window
// passes the window's own processMessage, so accelerators work as in the program's loop.
using Dispatch = std::function<void(MSG&)>;

// Handles the thread's messages until `done` answers true or `limit` has passed, waiting for
// messages in between (other threads' progress is checked at least every 100 ms). Answers
// `done()`. WM_QUIT is taken off the queue and ignored.
bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = kPatience,
               const Dispatch& dispatch = {});

// Handles the thread's messages until WM_QUIT arrives or `limit` has passed; answers the quit
// code, or nothing when no quit came.
std::optional<int> pumpUntilQuit(std::chrono::milliseconds limit = kPatience,
                                 const Dispatch& dispatch = {});

// Handles what is queued now, then answers.
void pumpPending(const Dispatch& dispatch = {});

// Presses and releases `key` while holding `modifiers`, through SendInput as a keyboard would.
// The key reaches the window that has the keyboard focus.
void pressKey(WORD key, std::initializer_list<WORD> modifiers = {});

// A left click at client point `at` of `window`, sent straight to its procedure: the press and
// the release, as the system delivers them to the window under the pointer.
void clickAt(HWND window, POINT at);

// A turn of the mouse wheel by `delta` (120 a notch, negative towards the user), sent straight to
// `window` as the system sends it to the window under the pointer.
void turnWheel(HWND window, int delta);

// A key's press (or release) as SendInput takes it, for a test that sends keys and mouse events
// in one batch so that nothing comes between them.
INPUT keyboardInput(WORD key, bool release);

// A mouse event as SendInput takes it. With MOUSEEVENTF_ABSOLUTE, `screen` is where the pointer
// goes, in screen pixels; otherwise the pointer stays where it is.
INPUT mouseInput(DWORD flags, POINT screen = {});

// The colour of a client pixel of `window` once the window has painted what was pending. A test
// that proves the window asks for its own repaints reads the pixel this way.
COLORREF paintedPixel(HWND window, int x, int y);

// The colour of a client pixel of `window` after it painted its whole client area again, so that
// the pixel shows the window's state now, whatever it invalidated itself.
COLORREF repaintedPixel(HWND window, int x, int y);

// Sets (or with nullopt removes) an environment variable for the scope, then puts it back.
class ScopedEnvironment {
  public:
    ScopedEnvironment(const wchar_t* name, std::optional<std::wstring> value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

    void set(std::optional<std::wstring> value);

  private:
    std::wstring name_;
    std::optional<std::wstring> saved_;
};

// A key under HKEY_CURRENT_USER\Software\RozovizovTests that belongs to one test, removed with
// everything below it at the end. It is not created beforehand.
class TestRegistryKey {
  public:
    TestRegistryKey();
    ~TestRegistryKey();
    TestRegistryKey(const TestRegistryKey&) = delete;
    TestRegistryKey& operator=(const TestRegistryKey&) = delete;

    // Relative to HKEY_CURRENT_USER.
    const std::wstring& path() const { return path_; }
    std::u16string path16() const;
    bool exists() const;

  private:
    std::wstring path_;
};

// A value of the current user's registry as it was, put back (or removed again) at the end, so
// that a test may change the system's own values in the throw-away Wine prefix.
class SavedRegistryValue {
  public:
    SavedRegistryValue(std::wstring subKey, std::wstring name);
    ~SavedRegistryValue();
    SavedRegistryValue(const SavedRegistryValue&) = delete;
    SavedRegistryValue& operator=(const SavedRegistryValue&) = delete;

    // Writes `type` with the raw `data`, creating the key when needed.
    void set(DWORD type, const std::vector<BYTE>& data) const;
    void setDword(DWORD value) const;
    void remove() const;

  private:
    std::wstring subKey_;
    std::wstring name_;
    bool existed_ = false;
    DWORD type_ = REG_NONE;
    std::vector<BYTE> data_;
};

// The threads this process has now.
int threadCount();

// The path of the running test program, so that a test can run part of itself in a child
// process of its own (at another DPI, say).
std::wstring thisProgram();

// The path of a program of the build, as Wine names it (Z:\... for a path of the Linux host).
std::wstring programPath(const char* builtPath);

// A program started as a child process with `arguments`, each quoted as needed. It inherits this
// process's environment; the child is ended if it still runs when the object goes.
class ChildProcess {
  public:
    ChildProcess(const std::wstring& program, const std::vector<std::wstring>& arguments);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return process_ != nullptr; }
    DWORD id() const { return id_; }
    HANDLE handle() const { return process_; }
    // Waits until the child waits for input in its message loop.
    bool waitUntilIdle(std::chrono::milliseconds limit = kPatience) const;
    // The child's top-level window of `windowClass`, or null.
    HWND findWindow(const wchar_t* windowClass) const;
    // Waits for the end; answers the exit code, or nothing when the limit passed first.
    std::optional<DWORD> waitForExit(std::chrono::milliseconds limit = kPatience) const;

  private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};

// Where `child` stands in the client area of `parent`, in the parent's client coordinates.
RECT placeIn(HWND parent, HWND child);

// The caption text of a window.
std::wstring windowText(HWND window);

}  // namespace harness
