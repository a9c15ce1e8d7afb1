#pragma once

// The start page shown while no scan is open: a card per drive with its usage, a card per
// well-known folder, a button for the folder picker, two banners and a footer with two links.
// It reports what the user chose through its function members, with a click or, on the focused
// stop, with Enter or Space. Windows only; user-interface thread only.

#include "panes/welcome_layout.h"
#include "ui/pane_window_win32.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace panes {

inline constexpr const wchar_t* kWelcomeViewClass = L"RozovizovWelcomeView";

// One drive or folder offered on the page.
struct PlaceCard {
    std::u16string title;
    std::u16string description;
    std::u16string path;  // what a click scans
    bool isDrive = false;
    std::int64_t total = 0;
    std::int64_t free = 0;
    HICON icon = nullptr;  // owned; none when the shell gave none
};

// A known folder offered on the page when it exists.
struct KnownPlace {
    const GUID* folder;
    const char16_t* title;
    const char16_t* description;
};
// Home, Downloads, AppData, Documents, Program Files and Windows, in that order.
const std::vector<KnownPlace>& knownPlaces();

class WelcomeView : public ui::PaneWindow {
  public:
    WelcomeView() = default;
    ~WelcomeView() override;

    // Makes the window as child `id` of `parent` (the class must be registered with
    // PaneWindow::windowProcedure). False when it could not be made.
    bool create(HWND parent, int id);

    // Asks the drives, the known folders and the process's elevation again, then lays out and
    // repaints. Nothing else refreshes the cards.
    void reloadPlaces();
    // Places everything for the client size, clamps the scroll and sets the scroll bar.
    void layoutPage();
    // The update banner's message and its button's address; an empty message hides it.
    void setUpdateBanner(std::u16string notice, std::u16string downloadAddress);
    // The 44-pixel icon of the header, which the view then owns.
    void setApplicationIcon(HICON icon);

    // A card was clicked: its path.
    std::function<void(const std::u16string&)> onOpenPath;
    // "Choose Another Folder…" was clicked.
    std::function<void()> onChooseFolder;
    // The elevation banner's button was clicked.
    std::function<void()> onRestartElevated;
    // The update banner's button was clicked: the download address.
    std::function<void(const std::u16string&)> onDownload;
    // Opens a footer link's address; the shell's "open" unless replaced, so tests need no
    // browser.
    std::function<void(HWND, const std::u16string&)> openAddress = shellOpen;

    static void shellOpen(HWND window, const std::u16string& address);

    bool stepFocus(bool forward) override;
    void enterFocus(bool forward) override;

    const std::vector<PlaceCard>& driveCards() const { return driveCards_; }
    const std::vector<PlaceCard>& folderCards() const { return folderCards_; }
    const WelcomeLayout& pageLayout() const { return layout_; }
    // The card an item of the layout shows; null for a heading.
    const PlaceCard* cardOf(const PlacedItem& item) const;
    bool elevationBanner() const { return elevationBanner_; }
    const std::u16string& updateNotice() const { return updateNotice_; }
    int scroll() const { return layout_.scroll; }
    const WelcomeHit& hovered() const { return hovered_; }
    // The page's stops in reading order, and the index of the one with the keyboard focus
    // within the view (-1 before anything was chosen).
    const std::vector<WelcomeStop>& stops() const { return stops_; }
    int focusedStop() const { return focus_; }
    // Whether the focused stop shows its mark: the view has the keyboard focus and the keyboard
    // was used since the last click.
    bool focusMarkShown() const;

  private:
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;
    void clearCards();
    void repaint();
    void paint();
    void paintPage(HDC dc, const RECT& client);
    void paintBanner(HDC dc, const PageRect& banner, const PageRect& button,
                     std::u16string_view message, std::u16string_view label, bool hovered,
                     bool update, int clientHeight);
    void paintCard(HDC dc, const PlacedItem& item, bool hovered);
    void paintFooter(HDC dc);
    void paintFocusMark(HDC dc);
    const PlaceCard* card(int section, int index) const;
    void onMouseMove(int x, int y);
    void onClick(int x, int y);
    bool onKeyDown(WPARAM key, LPARAM flags);
    // Gives stop `index` the focus from the keyboard, shows the mark and scrolls it into view.
    void focusFromKeyboard(int index);
    // Does what a click on stop `index` does.
    void activate(int index);
    void onVerticalScroll(int code);
    void scrollTo(int offset);

    std::vector<PlaceCard> driveCards_;
    std::vector<PlaceCard> folderCards_;
    WelcomeLayout layout_;
    HICON applicationIcon_ = nullptr;
    bool elevationBanner_ = false;
    std::u16string updateNotice_;
    std::u16string downloadAddress_;
    WelcomeHit hovered_;
    std::vector<WelcomeStop> stops_;
    int focus_ = -1;
    bool focusCues_ = false;
};

}  // namespace panes
