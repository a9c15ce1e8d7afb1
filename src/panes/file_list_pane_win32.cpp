#include "panes/file_list_pane_win32.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>

namespace panes {

namespace {

// Metrics at 96 DPI.
constexpr int kHeaderHeight = 24;
constexpr int kRowHeight = 18;
constexpr int kSmallRowHeight = 16;
constexpr int kIndent = 13;
constexpr int kMargin = 4;
constexpr int kExpander = 12;
constexpr int kValueColumn = 118;
constexpr int kHorizontalLine = 24;
// The header buttons' left edges and width.
constexpr int kButtonLeft[] = {5, 5 + 16 + 6};
constexpr int kButtonSize = 16;

}  // namespace

bool FileListPane::create(HWND parent, int id) {
    return createChild(kFileListClass, WS_VISIBLE | WS_VSCROLL | WS_HSCROLL, parent, id);
}

LRESULT FileListPane::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            updateMetrics();
            model_.setClientSize(LOWORD(lParam), HIWORD(lParam));
            updateScrollBars();
            return 0;
        case WM_PAINT:
            onPaint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS;
        case WM_MOUSEMOVE:
            onMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return 0;
        case WM_MOUSELEAVE:
            trackingLeave_ = false;
            if (hoveredButton_ != -1) {
                hoveredButton_ = -1;
                InvalidateRect(window(), nullptr, FALSE);
            }
            return 0;
        case WM_LBUTTONDOWN:
            onLeftDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return 0;
        case WM_LBUTTONDBLCLK:
            updateMetrics();
            model_.doubleClick(GET_Y_LPARAM(lParam));
            changed(false);
            return 0;
        case WM_RBUTTONDOWN:
            onRightDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return 0;
        case WM_RBUTTONUP:
            // The press already asked for the menu; the system's own request on release would
            // ask a second time, also over empty space.
            return 0;
        case WM_CONTEXTMENU:
            // Only the keyboard's request (lParam -1) reaches here; the parent places it.
            SendMessageW(GetParent(window()), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window()),
                         lParam);
            return 0;
        case WM_MOUSEWHEEL:
            onWheel(GET_WHEEL_DELTA_WPARAM(wParam));
            return 0;
        case WM_KEYDOWN:
            updateMetrics();
            changed(model_.key(static_cast<int>(wParam)));
            return 0;
        case WM_VSCROLL:
            onScroll(SB_VERT, LOWORD(wParam));
            return 0;
        case WM_HSCROLL:
            onScroll(SB_HORZ, LOWORD(wParam));
            return 0;
        default:
            return DefWindowProcW(window(), message, wParam, lParam);
    }
}

void FileListPane::updateMetrics() {
    ListMetrics metrics;
    metrics.headerHeight = ui::scaled(window(), kHeaderHeight);
    metrics.rowHeight = ui::scaled(window(), smallFont_ ? kSmallRowHeight : kRowHeight);
    metrics.indent = ui::scaled(window(), kIndent);
    metrics.margin = ui::scaled(window(), kMargin);
    metrics.expander = ui::scaled(window(), kExpander);
    metrics.valueColumn = ui::scaled(window(), kValueColumn);
    model_.setMetrics(metrics);
}

RECT FileListPane::headerButton(int button) const {
    const int size = ui::scaled(window(), kButtonSize);
    const int left = ui::scaled(window(), kButtonLeft[button]);
    const int top = (model_.metrics().headerHeight - size) / 2;
    return {left, top, left + size, top + size};
}

void FileListPane::updateScrollBars() {
    if (window() == nullptr) {
        return;
    }
    const ScrollBarRange vertical =
        scrollBarRange(model_.contentHeight(), model_.viewHeight(), model_.scrollY());
    const int content = model_.contentWidth();
    const ScrollBarRange horizontal{1, content >= 2 ? content - 1 : 0, model_.viewWidth(),
                                    model_.scrollX()};
    // Setting a bar redraws it at once, which costs a progress tick more than the rows do; a
    // tick rarely changes either bar.
    const auto set = [this](int bar, const ScrollBarRange& range, ScrollBarRange& shown) {
        if (range.maximum == shown.maximum && range.page == shown.page &&
            range.position == shown.position) {
            return;
        }
        setScrollBar(bar, range.maximum, range.page, range.position);
        shown = range;
    };
    set(SB_VERT, vertical, shownVertical_);
    set(SB_HORZ, horizontal, shownHorizontal_);
}

void FileListPane::changed(bool selectionChanged) {
    updateScrollBars();
    InvalidateRect(window(), nullptr, FALSE);
    if (selectionChanged && onSelectionChanged) {
        onSelectionChanged(model_.focus());
    }
}

void FileListPane::attach(const scan::NodeStore* store, std::u16string rootLabel) {
    rootLabel_ = std::move(rootLabel);
    model_.attach(store);
    nameWidths_.clear();
    measuredRows_ = ~std::uint64_t{0};
    changed(false);
}

void FileListPane::resetView() {
    model_.resetView();
    changed(false);
}

void FileListPane::collapseAll() {
    updateMetrics();
    model_.collapseAll();
    changed(false);
}

void FileListPane::toggleExpanded(scan::NodeId node) {
    updateMetrics();
    model_.toggleExpanded(node);
    changed(false);
}

bool FileListPane::reveal(std::int64_t node) {
    updateMetrics();
    const bool selectionChanged = model_.reveal(node);
    changed(selectionChanged);
    return selectionChanged;
}

bool FileListPane::clearSelection() {
    const bool selectionChanged = model_.clearSelection();
    changed(selectionChanged);
    return selectionChanged;
}

void FileListPane::selectRow(std::int64_t index, bool centre) {
    updateMetrics();
    changed(model_.selectRow(index, centre));
}

void FileListPane::refresh() {
    updateMetrics();
    model_.refresh();
    changed(false);
}

void FileListPane::setGeneration(std::int32_t generation) {
    model_.setGeneration(generation);
    refresh();
}

void FileListPane::setMeasure(scan::Measure measure) {
    const std::int32_t focus = model_.focus();
    model_.setMeasure(measure);
    collapseAll();
    // The selection outlives the new order, so its row stays in view rather than vanishing
    // inside a closed folder.
    if (focus >= 0) {
        reveal(focus);
    }
}

void FileListPane::setValueHeader(std::u16string caption) {
    valueHeader_ = std::move(caption);
    InvalidateRect(window(), nullptr, FALSE);
}

void FileListPane::setKindsShown(bool shown) {
    if (shown != kindsShown_) {
        kindsShown_ = shown;
        InvalidateRect(window(), nullptr, FALSE);
    }
}

void FileListPane::setSmallFont(bool small) {
    if (small == smallFont_) {
        return;
    }
    smallFont_ = small;
    updateMetrics();
    model_.setScrollY(model_.scrollY());
    changed(false);
}

std::vector<std::int32_t> FileListPane::selectedNodes() const {
    std::vector<std::int32_t> nodes;
    nodes.reserve(model_.selection().size());
    for (const scan::NodeId node : model_.selection()) {
        nodes.push_back(static_cast<std::int32_t>(node));
    }
    return nodes;
}

std::optional<POINT> FileListPane::focusMenuPoint() const {
    const std::int64_t row = model_.focus() >= 0 ? model_.rowOf(model_.focus()) : -1;
    if (row < 0 || window() == nullptr) {
        return std::nullopt;
    }
    const ListMetrics& metrics = model_.metrics();
    RECT client{};
    GetClientRect(window(), &client);
    const std::int64_t bottom =
        metrics.headerHeight + std::int64_t{metrics.rowHeight} * (row + 1) - model_.scrollY();
    POINT point{
        static_cast<LONG>(metrics.margin +
                          metrics.indent * model_.rows()[static_cast<std::size_t>(row)].depth -
                          model_.scrollX()),
        static_cast<LONG>(std::clamp<std::int64_t>(bottom, metrics.headerHeight,
                                                   std::max<LONG>(client.bottom, 0)))};
    point.x = std::clamp<LONG>(point.x, 0, std::max<LONG>(client.right, 0));
    ClientToScreen(window(), &point);
    return point;
}

void FileListPane::onMouseMove(int x, int y) {
    int hovered = -1;
    if (y < model_.metrics().headerHeight) {
        for (int button = 0; button < kHeaderButtons; ++button) {
            const RECT box = headerButton(button);
            if (x >= box.left && x < box.right) {
                hovered = button;
            }
        }
    }
    if (hovered == hoveredButton_) {
        return;
    }
    hoveredButton_ = hovered;
    if (!trackingLeave_) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, window(), 0};
        trackingLeave_ = TrackMouseEvent(&track) != 0;
    }
    InvalidateRect(window(), nullptr, FALSE);
}

void FileListPane::onLeftDown(int x, int y) {
    SetFocus(window());
    updateMetrics();
    if (y < model_.metrics().headerHeight) {
        // The press acts on the button the last move hovered, as the picture showed it.
        if (hoveredButton_ == 0 && onToggleKinds) {
            onToggleKinds();
        } else if (hoveredButton_ == 1 && onCollapseAll) {
            onCollapseAll();
        }
        return;
    }
    const bool control = GetKeyState(VK_CONTROL) < 0;
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    changed(model_.click(x, y, control, shift));
}

void FileListPane::onRightDown(int x, int y) {
    SetFocus(window());
    updateMetrics();
    bool hit = false;
    changed(model_.rightClick(y, hit));
    if (!hit) {
        // Nothing under the mouse: no menu, rather than one for an item elsewhere.
        return;
    }
    POINT screen{x, y};
    ClientToScreen(window(), &screen);
    SendMessageW(GetParent(window()), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window()),
                 MAKELPARAM(static_cast<WORD>(static_cast<SHORT>(screen.x)),
                            static_cast<WORD>(static_cast<SHORT>(screen.y))));
}

void FileListPane::onWheel(int delta) {
    updateMetrics();
    model_.wheel(delta, ui::wheelScrollLines());
    changed(false);
}

void FileListPane::onScroll(int bar, int code) {
    updateMetrics();
    const bool vertical = bar == SB_VERT;
    const std::int64_t line =
        vertical ? model_.metrics().rowHeight : ui::scaled(window(), kHorizontalLine);
    const std::int64_t page = vertical ? model_.viewHeight() : model_.viewWidth();
    const std::int64_t now = vertical ? model_.scrollY() : model_.scrollX();
    const std::int64_t unit =
        vertical ? scrollBarRange(model_.contentHeight(), page, now).unit : std::int64_t{1};
    const std::int64_t next = scrolledPosition(bar, code, now, line, page, unit);
    if (vertical) {
        model_.setScrollY(next);
    } else {
        model_.setScrollX(static_cast<int>(std::clamp<std::int64_t>(next, 0, 0x7FFFFFFF)));
    }
    changed(false);
}

}  // namespace panes
