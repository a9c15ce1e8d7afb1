#pragma once

// The one main window of the program and everything it owns. It lives for the whole run, on the
// entry point's stack, and outlives its window. Windows only; user-interface thread only.
//
// The class spans one file per concern: main_window.cpp (creation, the message loop and the
// end), main_window_chrome.cpp (the controls, the menu and what is drawn and themed),
// main_window_layout.cpp (where the panes go, the splitters and the DPI),
// main_window_commands.cpp (messages and commands), main_window_focus.cpp (where the keyboard
// focus goes: Tab, F6 and the panes coming and going), main_window_status.cpp (opening and
// following a scan), main_window_panes.cpp (the kinds pane and the two tool windows),
// main_window_actions.cpp (the right-click menu and what it does for the item pointed at),
// main_window_deleting.cpp (the pending deletes and their pane), main_window_welcome.cpp (the
// start page, the folder picker and the settings window), main_window_elevation.cpp (the offer
// to restart as administrator) and main_window_updates.cpp (the update check's notice, the About
// box and "Check for Updates…").

#include "app/main_layout.h"
#include "app/shell_launchers_win32.h"
#include "deleting/pending_deletes.h"
#include "deleting/pending_pane_win32.h"
#include "panes/file_list_pane_win32.h"
#include "panes/kind_pane_win32.h"
#include "panes/welcome_view_win32.h"
#include "scan/measures.h"
#include "scan/scan_controller.h"
#include "scan/window_notifier_win32.h"
#include "settings/settings_store.h"
#include "treemap/kind_colours.h"
#include "treemap/treemap_view_win32.h"
#include "ui/drawing_win32.h"
#include "update/update_check.h"
#include "update/update_notice.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace app {

inline constexpr const wchar_t* kMainWindowClass = L"RozovizovMainWindow";
inline constexpr const wchar_t* kProgramName = L"Rozovizov";
// The pending deletes' countdown tick on the main window (timer 1 is the scan's progress).
inline constexpr UINT_PTR kPendingTimer = 2;
inline constexpr UINT kPendingTimerMilliseconds = 100;

class MainWindow {
  public:
    // `settings` is the store whose options the window follows; the program passes the
    // process's store, tests one under a key of their own. It must outlive the window.
    // `updates` is the update check the window starts and shows; the program passes the
    // process's, tests one of their own, which must outlive its worker.
    explicit MainWindow(settings::SettingsStore& settings = settings::settingsStore(),
                        update::UpdateCheck& updates = update::processUpdateCheck());
    // Stops and joins any scan, and destroys the window if it still exists.
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates the window and runs the message loop until the window has been destroyed. A
    // non-empty `path` is scanned at once, exactly as given. Returns at once when the window
    // cannot be created.
    void run(const std::u16string& path);

    // The two halves of run, apart so that tests can drive the loop themselves. `create`
    // answers false when the window could not be created.
    bool create(const std::u16string& path);
    void loop();
    // One message as the loop handles it: the accelerators first, whichever window of the
    // thread it is for, then translation and dispatch.
    void processMessage(MSG& message);

    // The window's message handler; every message of the main window arrives here.
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    // Carries out a menu item, accelerator or toolbar button.
    void command(int id);
    // The right-click menu for the file list's focus, at screen point (x, y).
    void showContextMenu(int x, int y);
    // The folder picker; a chosen folder is scanned.
    void chooseFolder();

    // Starts a scan of `path` and shows it.
    void openScan(const std::u16string& path);
    // Leaves the current scan for the welcome view; nothing when that is already shown.
    void closeScan();
    // Brings the toolbar, the kind colours, the treemap and the status text up to date. The
    // progress tick passes true, which rebuilds the treemap only as often as its builds allow.
    void refreshViews(bool fromTimer);
    // Feeds the information and selection panels with `node`, when they are shown.
    void updateInspectors(std::int32_t node);
    // Pushes the options into the views, lays out and refreshes. Runs at start and after every
    // change of a setting.
    void applySettings();
    // Places the toolbar controls and the panes for the client size, the options and the
    // splitters.
    void layout();
    // The smallest window at which the toolbar and the panes still fit (WM_GETMINMAXINFO).
    void limitTracking(MINMAXINFO& limits) const;

    // The nodes that Del and "Move to Recycle Bin" act on: the treemap's selected node for now.
    std::vector<std::int32_t> selectedNodes() const;
    // Command 212: queues the selection for the Recycle Bin.
    void moveSelectionToRecycleBin();
    // Queues `nodes`: nothing without a scan or while one runs; nodes no longer in the tree are
    // skipped, and anything inside a queued folder is refused.
    void moveToRecycleBin(const std::vector<std::int32_t>& nodes);
    // Before the scan is left (Open, either refresh, closing): with items pending, asks whether
    // to delete them now or put them back, holding their countdown meanwhile; then runs
    // `continuation` once the list is empty (not when the user cancelled, nor when the list
    // could not be settled). Answers true, without running it, when nothing was pending, so that
    // the caller goes on by itself.
    bool settleBeforeLeaving(const std::function<void()>& continuation);
    // "Delete Now" in the pending pane: asks, defaulting to Cancel, holding the countdown
    // meanwhile, and sends everything.
    void confirmDeleteNow();
    // Whether Del and "Move to Recycle Bin" have anything to act on: a scan that is not running
    // and a selection that holds more than the root. The number of items they would queue.
    std::size_t deletableCount() const;

    // Offers once per opened scan to restart as administrator, when the scan was of a whole
    // drive whose file table it could not read. Runs at the end of every scan and refresh.
    void offerElevation();
    // Starts this program elevated on the open folder and, once it has started, closes this
    // window through the usual close. Nothing happens when it could not start.
    void restartElevated();
    // Opens a download address from the update check, or the product's web site when the
    // address is not one the browser alone may open.
    void openDownload(const std::u16string& address);
    // What the welcome page's update banner shows; empty until the check has found a newer
    // version (WM_APP+20).
    const update::UpdateNotice& updateNotice() const { return updateNotice_; }
    // Replaces the ways of starting a program and opening an address; tests record them.
    void setLaunchers(ShellLaunchers launchers) { launchers_ = std::move(launchers); }

    HWND window() const { return window_; }
    HACCEL accelerators() const { return accelerators_; }
    const scan::ScanController& controller() const { return controller_; }
    bool welcomeShown() const { return welcomeShown_; }
    const std::u16string& statusText() const { return statusText_; }
    settings::SettingsStore& settings() const { return settings_; }
    scan::Measure measure() const { return measure_; }
    const MainLayout& mainLayout() const { return layout_; }
    // Where the status line goes now, beside the toolbar buttons that are shown.
    StatusArea statusArea() const;
    treemap::TreemapView* treemapView() const { return treemapView_.get(); }
    panes::KindPane* kindPane() const { return kindPane_.get(); }
    panes::WelcomeView* welcomeView() const { return welcomeView_.get(); }

    // Makes `node` the chosen node of every view that shows one, and feeds the panels with it.
    void selectNode(std::int32_t node);
    // The node the commands and the panels act on; -1 for none.
    std::int32_t focusNode() const;

    deleting::PendingDeletes& pendingDeletes() { return pending_; }
    deleting::PendingPane* pendingPane() const { return pendingPane_.get(); }

    panes::FileListPane* fileList() const { return fileList_.get(); }

    // Starts the file manager with `parameters` (Show in Explorer). Tests replace it, so that no
    // program starts; by default it runs "explorer.exe" through the shell.
    std::function<void(HWND owner, const std::wstring& parameters)> openFileManager;
    // Makes the settings window the first time, then shows it.
    void showSettings();

  private:
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    void loadIcons();
    void buildChrome();
    void createToolbar();
    void createTreemapView();
    void createKindPane();
    void toggleSelectionPanel();
    void toggleInformationPanel();
    void clearInspectors();
    // A node's value as the views show it: under the measure, in file lengths for the current
    // size when physical sizes are off; 0 without a scan or for a row not published.
    std::int64_t displayedValue(std::int32_t node) const;
    void createFileList();
    // WM_CONTEXTMENU from pane `from`: at the mouse, or (where -1) from the keyboard.
    void onContextMenu(HWND from, LPARAM where);
    void onListSelection(std::int32_t focus);
    void copyPath(const std::u16string& path);
    void showInFileManager(const std::u16string& path);
    void createWelcomeView();
    bool keyForSettingsWindow(const MSG& message) const;
    // Keyboard focus (main_window_focus.cpp). The windows Tab visits, in order, in one group per
    // F6 stop: the toolbar's usable controls, then each shown pane.
    std::vector<std::vector<HWND>> focusGroups() const;
    // The panes that take the keyboard, in Tab's order; some may not exist.
    std::array<ui::PaneWindow*, 5> panesInOrder() const;
    ui::PaneWindow* paneOf(HWND window) const;
    // The pane that has the keyboard when nothing else was chosen: the file list, or the start
    // page while it shows.
    HWND defaultFocus() const;
    // Tab (`byPane` false) or F6, forward or back (with Shift).
    void moveFocus(bool forward, bool byPane);
    // Tab, F6 and Enter on a toolbar button, for any window inside this one; true when handled.
    bool keyMovesFocus(const MSG& message);
    // The pane a new view (a scan, the start page) starts with, given the focus now unless
    // another of the program's windows is in front.
    void giveFocusTo(HWND pane);
    // A control or pane that has the focus and was hidden or disabled hands it on.
    void keepFocusShown();
    // WM_ACTIVATE: the focus is remembered on the way out and put back on the way in.
    void onActivate(WPARAM state);
    // A key press while the measure box's list is open, which the list handles itself.
    bool keyForOpenedMeasureList(const MSG& message) const;
    void followAppearanceInSettings();
    void buildMenu();
    void paint();
    void paintToolbarBand(HDC dc);
    bool drawButton(const DRAWITEMSTRUCT& item);
    void followAppearance();
    void onInitMenuPopup(HMENU popup);
    bool onSetCursor(HWND over);
    void onMouse(UINT message, int x, int y);
    void onDpiChanged(const RECT& suggested);
    void onMeasureChanged();
    // WM_APP+1 of the scan or refresh numbered `work`; the end of work the window has left
    // since (Open…, another scan) does nothing.
    void onScanEnded(std::uint32_t work);
    void onProgressTick();
    void onClose();
    // Takes the scanner and its store away from the panes and the pending deletes that read
    // them, before the controller destroys them (a new scan, leaving the scan, closing).
    void detachScanFromPanes();
    void createPendingPane();
    void preparePendingDeletes();
    void onPendingChanged();
    void onPendingTick();
    // settleBeforeLeaving, then `continuation` at once when nothing was pending.
    void leaveThen(const std::function<void()>& continuation);
    void refreshFolder();
    // Lists `folder` again from the disk (a folder refresh of that row).
    void refreshFolderFromDisk(std::int32_t folder);
    // Starts reading again the next folder whose listing a delete showed to be out of date.
    void readFoldersFromDisk();
    // The one message about the items of one step that did not simply reach the Recycle Bin.
    void showDeleteReports(const std::vector<deleting::DeleteReport>& reports);
    void onUpdateFound();
    void showAbout();
    void checkForUpdates();
    // The end of an update check (WM_APP+21): shows its answer when "Check for Updates…" asked.
    void onUpdateChecked();
    // The answer of the finished check: the newer version, the reason it failed, or that the
    // running version is the latest.
    void showUpdateAnswer();
    void updateMeasureBox();
    void fitMeasureListToItems();
    std::vector<treemap::SpaceBlock> buildSpaceBlocks() const;
    bool tooltipText(std::int32_t node, std::int32_t hiddenCount, std::u16string& title,
                     std::u16string& body) const;

    settings::SettingsStore& settings_;
    update::UpdateCheck& updates_;
    ShellLaunchers launchers_ = systemLaunchers();
    update::UpdateNotice updateNotice_;

    HWND window_ = nullptr;
    HWND openButton_ = nullptr;
    HWND measureBox_ = nullptr;
    HWND zoomOutButton_ = nullptr;
    HWND stopButton_ = nullptr;
    HWND refreshButton_ = nullptr;
    HACCEL accelerators_ = nullptr;
    std::unique_ptr<treemap::TreemapView> treemapView_;
    std::unique_ptr<panes::KindPane> kindPane_;
    // The list before its pane, which shows it and so goes first.
    deleting::PendingDeletes pending_;
    std::unique_ptr<deleting::PendingPane> pendingPane_;
    std::unique_ptr<panes::FileListPane> fileList_;
    std::unique_ptr<panes::WelcomeView> welcomeView_;
    scan::Measure measure_ = scan::MeasureCurrentSize;
    // Declared before the controller, which still stops the ticking when it is destroyed.
    std::unique_ptr<scan::WindowNotifier> notifier_;
    scan::ScanController controller_;
    treemap::KindColours kindColours_;
    std::u16string statusText_;
    bool welcomeShown_ = true;
    // The sizes of the kinds pane and the file list, and the splitter drag in progress.
    MainLayout layout_;
    bool elevationOffered_ = false;
    // "Check for Updates…" started a check whose answer is to be shown when it ends.
    bool updateAnswerWanted_ = false;
    ui::BackBuffer toolbarBuffer_;
    // Where the focus was when the window was last deactivated or a view chose it.
    HWND lastFocus_ = nullptr;
    // Held by the settings listener, which outlives this object in the settings store: the
    // listener does nothing once the window object is gone.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace app
