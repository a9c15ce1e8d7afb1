#pragma once

// The treemap's child window: shows the last finished picture stretched over its client area,
// frames the item under the mouse and the selected node, explains the hovered item in a tooltip,
// animates zoom steps, and reports clicks and zooms to its owner through function objects. What
// it decides lives in TreemapViewModel; this class owns the window, paints and forwards input.
// Windows only; user-interface thread only.

#include "scan/node_store.h"
#include "treemap/kind_colours.h"
#include "treemap/treemap_view_model.h"
#include "ui/drawing_win32.h"
#include "ui/pane_window_win32.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace treemap {

inline constexpr const wchar_t* kTreemapViewClass = L"RozovizovTreemapView";
inline constexpr UINT_PTR kAnimationTimer = 2;
inline constexpr UINT kAnimationTimerMilliseconds = 16;

class TreemapView : public ui::PaneWindow {
  public:
    TreemapView() = default;
    // Destroys the window if it still exists.
    ~TreemapView() override;

    // Creates the view as the visible child `id` of `parent`, at the origin with no size, with
    // its tooltip. The class kTreemapViewClass must have been registered with windowProcedure.
    bool create(HWND parent, int id);
    // PaneWindow's, except that a finished build reaching a view already gone is freed here.
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);

    HWND tooltip() const { return tooltip_; }

    // The kind colours each build copies; not owned.
    void setColours(const KindColours* colours) { model_.setColours(colours); }
    // The measure, the size setting and the space blocks of the next builds.
    TreemapOptions& options() { return model_.options(); }

    // Shows another store, or none: the picture, hover, selection, zoom steps and any animation
    // go, and builds still running for the previous store are discarded when they end. The view
    // holds the store until the next call, and each build holds it until it is done.
    void setStore(std::shared_ptr<const scan::NodeStore> store);
    // Asks for a picture of the current root at the client size (see TreemapViewModel).
    void requestPicture() { model_.requestPicture(); }
    // A line shown in place of the picture, centred (a root that could not be scanned, a measure
    // under which nothing was added); empty shows the picture again. While a notice shows, the
    // view hovers, selects and explains nothing. Repaints only when the text changes.
    void setNotice(std::u16string notice);
    const std::u16string& notice() const { return notice_; }

    // Zoom steps as the main window's commands ask for them. Each one that changes the root
    // raises onZoomChanged; zoomToTop always does.
    void zoomIn(std::int32_t node);
    void zoomOut();
    void zoomToTop();
    std::size_t zoomDepth() const { return model_.zoomStack().size(); }

    std::int32_t selectedNode() const { return model_.selectedNode(); }
    // Repaints only when the selection changed.
    void setSelectedNode(std::int32_t node);

    // The timing of builds, which the main window's progress tick consults.
    BuildSchedule& schedule() { return model_.schedule(); }
    const TreemapViewModel& model() const { return model_; }
    void setRecycling(bool on) { model_.setRecycling(on); }
    // The destination of the last animation frame painted, and whether it was the last frame.
    const std::optional<AnimationFrame>& lastAnimationFrame() const { return lastFrame_; }

    // Where a menu for the selected item opens from the keyboard: the lower left corner of its
    // frame in screen coordinates, kept inside the view; none without a framed selection.
    std::optional<POINT> selectionMenuPoint() const;

    // A left or right click on a node, or an arrow key's step to one, or -1 for a click on a space block (which chooses
    // nothing); a click on no item at all raises nothing.
    std::function<void(std::int32_t node)> onNodeSelected;
    // After every zoom step.
    std::function<void()> onZoomChanged;
    // The tooltip of an item showing `node` that merged `hiddenCount` items; false for none.
    std::function<bool(std::int32_t node, std::int32_t hiddenCount, std::u16string& title,
                       std::u16string& body)>
        tooltipText;
    // Whether zoom steps are animated, read at each step; animated when not set.
    std::function<bool()> animatedZooming;

  private:
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;
    void windowMade() override;
    void windowGone() override;
    void makeTooltip();
    void onPaint();
    void paintPicture(HDC dc, int width, int height);
    void hitTest(LPARAM point);
    void updateTooltip();
    void onButtonDown(LPARAM point, bool right);
    void onDoubleClick();
    // The arrows step to the item beside the selected one; Enter zooms into it.
    void onKey(WPARAM key);
    void onBuildFinished(WPARAM generation, LPARAM result);
    // After a zoom step: runs or stops the animation timer, repaints and tells the owner.
    void zoomed();
    bool animated() const { return !animatedZooming || animatedZooming(); }

    HWND tooltip_ = nullptr;
    TreemapViewModel model_;
    std::optional<AnimationFrame> lastFrame_;
    // The tooltip's text must outlive the message that hands it over.
    std::wstring tipText_;
    bool trackingLeave_ = false;
    std::u16string notice_;
};

}  // namespace treemap
