#include "treemap/treemap_view_win32.h"

#include "treemap/build_delivery.h"
#include "treemap/present_image_win32.h"
#include "ui/theme_win32.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include <utility>

namespace treemap {

namespace {

constexpr int kTooltipMaxWidth = 480;
// GDI colour words.
constexpr std::uint32_t kFrameWhite = 0xFFFFFF;
constexpr std::uint32_t kSelectionInnerLine = 0x141414;  // RGB(20, 20, 20)

// The tool is the view itself, so the tooltip follows the mouse over the whole client area.
TOOLINFOW toolOf(HWND view, wchar_t* text) {
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = view;
    tool.uId = reinterpret_cast<UINT_PTR>(view);
    tool.lpszText = text;
    return tool;
}

}  // namespace

TreemapView::~TreemapView() {
    // Its destruction still reaches the model, which stops posting builds to it.
    destroyWindow();
}

bool TreemapView::create(HWND parent, int id) {
    return createChild(kTreemapViewClass, WS_VISIBLE, parent, id);
}

LRESULT CALLBACK TreemapView::windowProcedure(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    if (message == kBuildResultMessage && GetWindowLongPtrW(window, GWLP_USERDATA) == 0) {
        // A build that finished after the view went: nobody else will free it.
        delete reinterpret_cast<BuildResult*>(lParam);
        return 0;
    }
    return PaneWindow::windowProcedure(window, message, wParam, lParam);
}

void TreemapView::windowMade() {
    model_.deliverTo(reinterpret_cast<std::uintptr_t>(window()));
}

void TreemapView::windowGone() {
    tooltip_ = nullptr;
}

LRESULT TreemapView::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            makeTooltip();
            return 0;
        case WM_DESTROY:
            model_.windowDestroyed();
            KillTimer(window(), kAnimationTimer);
            return 0;
        case WM_SIZE:
            model_.resize({LOWORD(lParam), HIWORD(lParam)});
            return 0;
        case WM_PAINT:
            onPaint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_TIMER:
            if (wParam == kAnimationTimer) {
                InvalidateRect(window(), nullptr, FALSE);
            }
            return 0;
        case WM_MOUSEMOVE:
            if (!trackingLeave_) {
                TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, window(), 0};
                trackingLeave_ = TrackMouseEvent(&track) != 0;
            }
            hitTest(lParam);
            return 0;
        case WM_LBUTTONDOWN:
            SetFocus(window());
            onButtonDown(lParam, false);
            return 0;
        case WM_RBUTTONDOWN:
            SetFocus(window());
            onButtonDown(lParam, true);
            return 0;
        case WM_RBUTTONUP:
            // The press already asked for the menu; the system's request on release would ask
            // again, also over a space block.
            return 0;
        case WM_LBUTTONDBLCLK:
            onDoubleClick();
            return 0;
        case WM_MBUTTONDOWN:
            zoomOut();
            return 0;
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS;
        case WM_CONTEXTMENU:
            // Only the keyboard's request (lParam -1) reaches here; the parent places it.
            SendMessageW(GetParent(window()), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window()),
                         lParam);
            return 0;
        case WM_KEYDOWN:
            onKey(wParam);
            return 0;
        case WM_MOUSELEAVE:
            trackingLeave_ = false;
            if (tooltip_ != nullptr) {
                SendMessageW(tooltip_, TTM_ACTIVATE, FALSE, 0);
            }
            if (model_.clearHover()) {
                InvalidateRect(window(), nullptr, FALSE);
            }
            return 0;
        case kBuildResultMessage:
            onBuildFinished(wParam, lParam);
            return 0;
        default:
            return DefWindowProcW(window(), message, wParam, lParam);
    }
}

void TreemapView::makeTooltip() {
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                               WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, 0, 0, 0, 0, window(),
                               nullptr, GetModuleHandleW(nullptr), nullptr);
    if (tooltip_ == nullptr) {
        return;
    }
    tipText_.clear();
    TOOLINFOW tool = toolOf(window(), tipText_.data());
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, kTooltipMaxWidth);
}

void TreemapView::setStore(std::shared_ptr<const scan::NodeStore> store) {
    model_.setStore(std::move(store));
    if (window() != nullptr) {
        KillTimer(window(), kAnimationTimer);
        InvalidateRect(window(), nullptr, FALSE);
    }
}

void TreemapView::setNotice(std::u16string notice) {
    if (notice == notice_) {
        return;
    }
    notice_ = std::move(notice);
    if (!notice_.empty() && model_.clearHover() && tooltip_ != nullptr) {
        SendMessageW(tooltip_, TTM_ACTIVATE, FALSE, 0);
    }
    if (window() != nullptr) {
        InvalidateRect(window(), nullptr, FALSE);
    }
}

void TreemapView::setSelectedNode(std::int32_t node) {
    if (model_.setSelectedNode(node) && window() != nullptr) {
        InvalidateRect(window(), nullptr, FALSE);
    }
}

void TreemapView::zoomIn(std::int32_t node) {
    if (model_.zoomIn(node, GetTickCount64(), animated())) {
        zoomed();
    }
}

void TreemapView::zoomOut() {
    if (model_.zoomOut(GetTickCount64(), animated())) {
        zoomed();
    }
}

void TreemapView::zoomToTop() {
    model_.zoomToTop();
    zoomed();
}

void TreemapView::zoomed() {
    if (window() != nullptr) {
        if (model_.animation() != nullptr) {
            lastFrame_.reset();
            SetTimer(window(), kAnimationTimer, kAnimationTimerMilliseconds, nullptr);
        } else {
            KillTimer(window(), kAnimationTimer);
        }
        InvalidateRect(window(), nullptr, FALSE);
    }
    if (onZoomChanged) {
        onZoomChanged();
    }
}

void TreemapView::onPaint() {
    paintBuffered([this](HDC buffer, const RECT& client) {
        FillRect(buffer, &client, ui::brushFor(ui::palette().treemapBackground));
        if (!notice_.empty()) {
            ui::drawLabel(buffer, notice_, client, ui::palette().dimText,
                          ui::uiFont(window(), ui::FontStyle::Heading),
                          DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
            return;
        }
        paintPicture(buffer, client.right, client.bottom);
    });
}

void TreemapView::paintPicture(HDC dc, int width, int height) {
    if (const ZoomAnimation* animation = model_.animation()) {
        const AnimationFrame frame = *model_.animationFrame(GetTickCount64());
        presentImage(dc, animation->pixels.data(), animation->width, animation->height,
                     ui::toRect(frame.destination));
        lastFrame_ = frame;
        if (frame.finished) {
            KillTimer(window(), kAnimationTimer);
            model_.dropAnimation();
            InvalidateRect(window(), nullptr, FALSE);
        }
        return;
    }
    const TreemapImage* picture = model_.picture();
    if (picture == nullptr || picture->pixels.empty()) {
        return;
    }
    presentImage(dc, picture->pixels.data(), picture->width, picture->height,
                 RECT{0, 0, width, height});
    // The hover frame first, so that the selection frame lies on top of it.
    if (const std::optional<PixelRect> hover = model_.hoverFrame()) {
        ui::drawFrame(dc, ui::toRect(*hover), kFrameWhite, 1);
    }
    // With the keyboard here, the selection's inner line turns into a thicker one in the accent,
    // and with nothing selected the whole view is framed, so that the arrows' starting point
    // shows.
    const bool focused = GetFocus() == window();
    if (const std::optional<SelectionFrame> selection = model_.selectionFrame()) {
        ui::drawFrame(dc, ui::toRect(selection->outer), kFrameWhite, 2);
        if (selection->inner) {
            ui::drawFrame(dc, ui::toRect(*selection->inner),
                          focused ? ui::palette().focusMark : kSelectionInnerLine, focused ? 2 : 1);
        }
    } else if (focused) {
        ui::drawFrame(dc, RECT{0, 0, width, height}, ui::palette().focusMark, 2);
    }
}

void TreemapView::onKey(WPARAM key) {
    if (!notice_.empty()) {
        return;
    }
    std::optional<Direction> direction;
    switch (key) {
        case VK_LEFT:
            direction = Direction::Left;
            break;
        case VK_RIGHT:
            direction = Direction::Right;
            break;
        case VK_UP:
            direction = Direction::Up;
            break;
        case VK_DOWN:
            direction = Direction::Down;
            break;
        case VK_RETURN:
            // What a double click does, for the chosen item.
            if (model_.zoomIntoSelected(GetTickCount64(), animated())) {
                zoomed();
            }
            return;
        default:
            return;
    }
    const std::int32_t node = model_.nodeBeside(*direction);
    if (node >= 0 && onNodeSelected) {
        onNodeSelected(node);
    }
}

std::optional<POINT> TreemapView::selectionMenuPoint() const {
    const std::optional<SelectionFrame> selection = model_.selectionFrame();
    if (!selection || !notice_.empty()) {
        return std::nullopt;
    }
    RECT client{};
    GetClientRect(window(), &client);
    // The frame's lower left corner, kept inside the view for an item larger than it.
    POINT point{std::clamp(selection->outer.left, 0, static_cast<int>(client.right)),
                std::clamp(selection->outer.bottom, 0, static_cast<int>(client.bottom))};
    ClientToScreen(window(), &point);
    return point;
}

void TreemapView::hitTest(LPARAM point) {
    if (notice_.empty() && model_.hitTest(GET_X_LPARAM(point), GET_Y_LPARAM(point))) {
        InvalidateRect(window(), nullptr, FALSE);
        updateTooltip();
    }
}

void TreemapView::updateTooltip() {
    if (tooltip_ == nullptr || !tooltipText) {
        return;
    }
    std::u16string title;
    std::u16string body;
    const TreemapItem* item = model_.hoveredItem();
    if (item == nullptr ||
        !tooltipText(item->node, static_cast<std::int32_t>(item->hiddenCount), title, body)) {
        SendMessageW(tooltip_, TTM_ACTIVATE, FALSE, 0);
        return;
    }
    const std::u16string text = body.empty() ? title : title + u"\n" + body;
    tipText_.assign(text.begin(), text.end());
    TOOLINFOW tool = toolOf(window(), tipText_.data());
    SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(tooltip_, TTM_ACTIVATE, TRUE, 0);
}

void TreemapView::onButtonDown(LPARAM point, bool right) {
    if (!notice_.empty()) {
        return;
    }
    hitTest(point);
    const std::int32_t node = model_.nodeOfItem(model_.hoverItem());
    // A click on a space block chooses nothing: a choice made earlier, no longer framed anywhere,
    // must not stay for Del to act on.
    const TreemapItem* item = model_.hoveredItem();
    const bool onSpaceBlock = item != nullptr && item->node < 0;
    if ((node >= 0 || onSpaceBlock) && onNodeSelected) {
        onNodeSelected(node);
    }
    // Over a space block or no item there is nothing the menu could act on; the menu of an item
    // selected earlier would be about something the user is not pointing at.
    if (right && node >= 0) {
        POINT screen{GET_X_LPARAM(point), GET_Y_LPARAM(point)};
        ClientToScreen(window(), &screen);
        SendMessageW(GetParent(window()), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window()),
                     MAKELPARAM(static_cast<WORD>(static_cast<SHORT>(screen.x)),
                                static_cast<WORD>(static_cast<SHORT>(screen.y))));
    }
}

void TreemapView::onDoubleClick() {
    if (notice_.empty() && model_.zoomIntoHovered(GetTickCount64(), animated())) {
        zoomed();
    }
}

void TreemapView::onBuildFinished(WPARAM generation, LPARAM result) {
    std::unique_ptr<BuildResult> owned(reinterpret_cast<BuildResult*>(result));
    if (model_.acceptBuild(static_cast<std::uint32_t>(generation), std::move(owned))) {
        InvalidateRect(window(), nullptr, FALSE);
        // The tooltip spoke of an item of the picture that is gone; the next move of the mouse
        // asks about the new one.
        updateTooltip();
    }
}

}  // namespace treemap
