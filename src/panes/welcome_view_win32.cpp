#include "panes/welcome_view_win32.h"

#include "scan/scanner.h"
#include "scan/volumes.h"
#include "ui/theme_win32.h"
#include "update/product_site.h"

#include <windowsx.h>

#include <knownfolders.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <optional>

namespace panes {

namespace {

// Metrics at 96 DPI: a line of the scroll bar's arrows, and the room kept above or below a stop
// that the keyboard scrolls into view, which holds its focus mark.
constexpr int kScrollLine = 40;
constexpr int kFocusMargin = 8;

const wchar_t* wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

HICON shellIconOf(const std::u16string& path) {
    SHFILEINFOW info{};
    if (SHGetFileInfoW(wide(path), 0, &info, sizeof(info), SHGFI_ICON) == 0) {
        return nullptr;
    }
    return info.hIcon;
}

std::u16string knownFolderPath(const GUID& folder) {
    PWSTR found = nullptr;
    std::u16string path;
    if (SUCCEEDED(SHGetKnownFolderPath(folder, 0, nullptr, &found)) && found != nullptr) {
        path = reinterpret_cast<const char16_t*>(found);
    }
    CoTaskMemFree(found);
    return path;
}

bool isFolder(const std::u16string& path) {
    const DWORD attributes = GetFileAttributesW(wide(scan::longPathOf(path)));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

const std::vector<KnownPlace>& knownPlaces() {
    static const std::vector<KnownPlace> places{
        {&FOLDERID_Profile, u"Home Folder", u"Everything under your user account"},
        {&FOLDERID_Downloads, u"Downloads", u"Often the fastest win"},
        {&FOLDERID_LocalAppData, u"AppData",
         u"Caches and application data, and usually larger than it looks"},
        {&FOLDERID_Documents, u"Documents", u""},
        {&FOLDERID_ProgramFiles, u"Program Files", u"Installed applications"},
        {&FOLDERID_Windows, u"Windows",
         u"The system itself, including update and component stores"},
    };
    return places;
}

WelcomeView::~WelcomeView() {
    // The icons go only after the window, which paints them.
    destroyWindow();
    clearCards();
    if (applicationIcon_ != nullptr) {
        DestroyIcon(applicationIcon_);
    }
}

bool WelcomeView::create(HWND parent, int id) {
    return createChild(kWelcomeViewClass, WS_VISIBLE | WS_VSCROLL, parent, id);
}

void WelcomeView::shellOpen(HWND window, const std::u16string& address) {
    ShellExecuteW(window, L"open", wide(address), nullptr, nullptr, SW_SHOWNORMAL);
}

LRESULT WelcomeView::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_SIZE:
            layoutPage();
            repaint();
            return 0;
        case WM_MOUSEMOVE:
            onMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return 0;
        case WM_SETCURSOR:
            if (LOWORD(lParam) == HTCLIENT && hovered_.anything()) {
                SetCursor(LoadCursorW(nullptr, IDC_HAND));
                return TRUE;
            }
            return DefWindowProcW(window(), message, wParam, lParam);
        case WM_MOUSELEAVE:
            hovered_ = {};
            repaint();
            return 0;
        case WM_LBUTTONDOWN:
            onClick(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return 0;
        case WM_MOUSEWHEEL:
            scrollTo(scrollAfterWheel(layout_.scroll, GET_WHEEL_DELTA_WPARAM(wParam)));
            return 0;
        case WM_VSCROLL:
            onVerticalScroll(LOWORD(wParam));
            return 0;
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS | DLGC_WANTCHARS;
        case WM_KEYDOWN:
            if (onKeyDown(wParam, lParam)) {
                return 0;
            }
            return DefWindowProcW(window(), message, wParam, lParam);
        default:
            return DefWindowProcW(window(), message, wParam, lParam);
    }
}

void WelcomeView::repaint() {
    // Never with a null handle, which would repaint every window of the desktop.
    if (window() != nullptr) {
        InvalidateRect(window(), nullptr, FALSE);
    }
}

void WelcomeView::clearCards() {
    for (auto* cards : {&driveCards_, &folderCards_}) {
        for (const PlaceCard& card : *cards) {
            if (card.icon != nullptr) {
                DestroyIcon(card.icon);
            }
        }
        cards->clear();
    }
}

void WelcomeView::reloadPlaces() {
    // The cards may come back in other places, or not at all: a focused card is followed by its
    // path.
    std::optional<std::u16string> focusedPath;
    if (focus_ >= 0 && stops_[static_cast<std::size_t>(focus_)].kind == StopKind::Card) {
        const WelcomeStop& stop = stops_[static_cast<std::size_t>(focus_)];
        if (const PlaceCard* focused = card(stop.section, stop.index)) {
            focusedPath = focused->path;
        }
    }
    clearCards();
    const std::vector<scan::VolumeInfo> drives = scan::listDrives();
    for (const scan::VolumeInfo& drive : drives) {
        PlaceCard card;
        card.title = driveTitle(drive.volumeRoot);
        card.description = drive.fileSystem;
        card.path = drive.volumeRoot;
        card.isDrive = true;
        card.total = static_cast<std::int64_t>(drive.totalBytes);
        card.free = static_cast<std::int64_t>(drive.freeBytes);
        card.icon = shellIconOf(card.path);
        driveCards_.push_back(std::move(card));
    }
    for (const KnownPlace& place : knownPlaces()) {
        const std::u16string path = knownFolderPath(*place.folder);
        if (path.empty() || !isFolder(path)) {
            continue;
        }
        PlaceCard card;
        card.title = place.title;
        card.description = place.description;
        card.path = path;
        card.icon = shellIconOf(path);
        folderCards_.push_back(std::move(card));
    }
    elevationBanner_ =
        std::any_of(drives.begin(), drives.end(), [](const auto& drive) { return drive.isNtfs; }) &&
        !scan::isElevated();
    hovered_ = {};
    if (focusedPath) {
        WelcomeStop& focused = stops_[static_cast<std::size_t>(focus_)];
        focused.section = -1;
        focused.index = -1;
        for (int section = 0; section < 2; ++section) {
            const auto& cards = section == 0 ? driveCards_ : folderCards_;
            for (std::size_t i = 0; i < cards.size(); ++i) {
                if (cards[i].path == *focusedPath) {
                    focused.section = section;
                    focused.index = static_cast<int>(i);
                }
            }
        }
    }
    layoutPage();
    repaint();
}

void WelcomeView::setUpdateBanner(std::u16string notice, std::u16string downloadAddress) {
    updateNotice_ = std::move(notice);
    downloadAddress_ = std::move(downloadAddress);
    layoutPage();
    repaint();
}

void WelcomeView::setApplicationIcon(HICON icon) {
    if (applicationIcon_ != nullptr && applicationIcon_ != icon) {
        DestroyIcon(applicationIcon_);
    }
    applicationIcon_ = icon;
    repaint();
}

const PlaceCard* WelcomeView::cardOf(const PlacedItem& item) const {
    return item.heading ? nullptr : card(item.section, item.card);
}

const PlaceCard* WelcomeView::card(int section, int index) const {
    const auto& cards = section == 0 ? driveCards_ : folderCards_;
    if (index < 0 || static_cast<std::size_t>(index) >= cards.size()) {
        return nullptr;
    }
    return &cards[static_cast<std::size_t>(index)];
}

void WelcomeView::layoutPage() {
    if (window() == nullptr) {
        return;
    }
    RECT client{};
    GetClientRect(window(), &client);
    WelcomeLayoutInput input;
    input.clientWidth = client.right;
    input.clientHeight = client.bottom;
    input.dpi = ui::windowDpi(window());
    input.driveCount = static_cast<int>(driveCards_.size());
    input.folderCount = static_cast<int>(folderCards_.size());
    input.updateBanner = !updateNotice_.empty();
    input.elevationBanner = elevationBanner_;
    input.scroll = layout_.scroll;

    {
        const ui::TextMeasure small(window(), ui::uiFont(window(), ui::FontStyle::Small));
        input.builtByWidth = small.width(kBuiltBy);
        input.makerWidth = small.width(kMakerName);
        input.separatorWidth = small.width(kFooterSeparator);
        input.hostWidth = small.width(update::kProductHost);
        input.footerHeight = small.lineHeight();
    }

    layout_ = layoutWelcomePage(input);
    const WelcomeStop focused =
        focus_ >= 0 ? stops_[static_cast<std::size_t>(focus_)] : WelcomeStop{};
    stops_ = welcomeStops(layout_);
    focus_ = keptFocus(stops_, focused, focus_);

    setScrollBar(SB_VERT, layout_.contentHeight >= 2 ? layout_.contentHeight - 1 : 0, client.bottom,
                 layout_.scroll);
}

void WelcomeView::scrollTo(int offset) {
    layout_.scroll = offset;
    layoutPage();
    repaint();
}

void WelcomeView::onVerticalScroll(int code) {
    RECT client{};
    GetClientRect(window(), &client);
    scrollTo(static_cast<int>(scrolledPosition(SB_VERT, code, layout_.scroll,
                                               ui::scaled(window(), kScrollLine), client.bottom)));
}

void WelcomeView::onMouseMove(int x, int y) {
    const WelcomeHit hit = hitWelcomePage(layout_, x, y);
    if (hit == hovered_) {
        return;
    }
    hovered_ = hit;
    SetCursor(LoadCursorW(nullptr, hit.anything() ? IDC_HAND : IDC_ARROW));
    TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, window(), 0};
    TrackMouseEvent(&track);
    repaint();
}

void WelcomeView::onClick(int x, int y) {
    // A click chooses with the mouse: the mark stays hidden until the keyboard is used again.
    focusCues_ = false;
    SetFocus(window());
    const int index = stopAt(stops_, layout_, x, y);
    if (index >= 0) {
        focus_ = index;
    }
    repaint();
    if (index >= 0) {
        activate(index);
    }
}

bool WelcomeView::onKeyDown(WPARAM key, LPARAM flags) {
    const auto move = [this](FocusMove how) { focusFromKeyboard(moveFocus(stops_, focus_, how)); };
    switch (key) {
        case VK_LEFT:
            move(FocusMove::Left);
            return true;
        case VK_RIGHT:
            move(FocusMove::Right);
            return true;
        case VK_UP:
            move(FocusMove::Up);
            return true;
        case VK_DOWN:
            move(FocusMove::Down);
            return true;
        case VK_HOME:
            move(FocusMove::First);
            return true;
        case VK_END:
            move(FocusMove::Last);
            return true;
        case VK_RETURN:
        case VK_SPACE:
            // A held key repeats: one press opens one thing.
            if ((flags & (1 << 30)) == 0 && focus_ >= 0) {
                activate(focus_);
            }
            return true;
        default:
            return false;
    }
}

bool WelcomeView::stepFocus(bool forward) {
    const int next = moveFocus(stops_, focus_, forward ? FocusMove::Next : FocusMove::Previous);
    if (next < 0 || next == focus_) {
        return false;
    }
    focusFromKeyboard(next);
    return true;
}

void WelcomeView::enterFocus(bool forward) {
    focusFromKeyboard(moveFocus(stops_, -1, forward ? FocusMove::First : FocusMove::Last));
}

bool WelcomeView::focusMarkShown() const {
    return focusCues_ && focus_ >= 0 && window() != nullptr && GetFocus() == window();
}

void WelcomeView::focusFromKeyboard(int index) {
    focus_ = index;
    focusCues_ = true;
    if (index >= 0) {
        RECT client{};
        GetClientRect(window(), &client);
        layout_.scroll =
            scrollToShow(stops_[static_cast<std::size_t>(index)].rect,
                         ui::scaled(window(), kFocusMargin), layout_.scroll, client.bottom);
        layoutPage();
    }
    repaint();
}

void WelcomeView::activate(int index) {
    // A copy: what the stop starts may lay the page out again, or reload it.
    const WelcomeStop stop = stops_[static_cast<std::size_t>(index)];
    switch (stop.kind) {
        case StopKind::Link:
            if (openAddress) {
                openAddress(window(), stop.index == 0 ? kMakerAddress : update::kProductAddress);
            }
            break;
        case StopKind::ChooseButton:
            if (onChooseFolder) {
                onChooseFolder();
            }
            break;
        case StopKind::ElevationButton:
            if (onRestartElevated) {
                onRestartElevated();
            }
            break;
        case StopKind::DownloadButton:
            if (onDownload) {
                onDownload(downloadAddress_);
            }
            break;
        case StopKind::Card:
            if (const PlaceCard* chosen = card(stop.section, stop.index); chosen && onOpenPath) {
                // A copy: the callback opens a scan, and nothing promises the cards outlive it.
                const std::u16string path = chosen->path;
                onOpenPath(path);
            }
            break;
    }
}

}  // namespace panes
