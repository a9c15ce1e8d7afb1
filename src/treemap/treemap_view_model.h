#pragma once

// Everything the treemap view decides, without its window: which store it shows, when pictures
// are built and which finished build it accepts, the zoom stack and its animation, what lies
// under the mouse, and where the hover and selection frames go. The window owns one, forwards its
// messages to it, starts nothing else and paints what it is told. All calls come from the
// window's thread; times are milliseconds of a steady clock passed in by the caller.

#include "scan/node_store.h"
#include "treemap/build_schedule.h"
#include "treemap/kind_colours.h"
#include "treemap/treemap_build.h"
#include "treemap/treemap_layout.h"
#include "treemap/treemap_render.h"
#include "treemap/view_geometry.h"
#include "treemap/zoom_animation.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace treemap {

class TreemapViewModel {
  public:
    TreemapViewModel();

    // Where finished builds go: the view's window (a handle as an integer, which receives
    // kBuildResultMessage), or a notifier where there is no window. Set before the first build.
    void deliverTo(std::uintptr_t window);
    void deliverTo(std::shared_ptr<BuildNotifier> notifier);

    // The kind colours each build copies; not owned. No picture is built without them.
    void setColours(const KindColours* colours) { colours_ = colours; }
    // The measure, the size setting and the space blocks of later builds.
    TreemapOptions& options() { return options_; }
    const TreemapOptions& options() const { return options_; }

    // Shows another store, or none. Drops the picture, the hover, the selection, the zoom steps
    // and any animation, and makes every build already started stale, so that a picture of the
    // previous store (whose items name its rows) can never be shown over this one. Builds
    // nothing; the window repaints and stops its animation timer.
    void setStore(std::shared_ptr<const scan::NodeStore> store);
    // While on (during a scan, when pictures follow each other closely), a replaced picture is
    // kept for the next build to draw into. Turning it off frees the kept one.
    void setRecycling(bool on);
    bool recycling() const { return recycler_ != nullptr; }
    const scan::NodeStore* store() const { return store_.get(); }

    // The client area changed; asks for a picture of the new size.
    void resize(ClientSize client);
    ClientSize clientSize() const { return client_; }

    // Starts a build of the current root at the client size, or remembers the request while one
    // runs. Nothing happens without a store with a published row, without colours, or when a
    // side of the client is 1 pixel or less. True when a build thread was started.
    bool requestPicture();
    // A build ended (kBuildResultMessage). The newest build's picture replaces the shown one and
    // true is answered (the window repaints); an older one is freed. A request remembered while
    // it ran is served now.
    bool acceptBuild(std::uint32_t generation, std::unique_ptr<BuildResult> result);
    // The window is going away: a build still running is discarded when it ends.
    void windowDestroyed() { schedule_.invalidate(); }
    // building, the generation, the adaptive interval and the progress tick's gate.
    BuildSchedule& schedule() { return schedule_; }
    const BuildSchedule& schedule() const { return schedule_; }

    const TreemapImage* picture() const { return picture_.get(); }

    // The mouse moved to client point (x, y). True when another item (or none) is under it now:
    // the window repaints and updates its tooltip.
    bool hitTest(int x, int y);
    // The mouse left the view. True when an item was hovered.
    bool clearHover();
    std::int32_t hoverItem() const { return hoverItem_; }
    // The hovered item, or none.
    const TreemapItem* hoveredItem() const;

    std::int32_t selectedNode() const { return selectedNode_; }
    // True when the selection changed, so the window repaints.
    bool setSelectedNode(std::int32_t node);

    // The node a click on item `index` means: the item's node, or for a rectangle of merged
    // small items the folder that holds them. A space block answers its negative id; no item -1.
    std::int32_t nodeOfItem(std::int32_t index) const;

    // The zoom steps; never empty, the last entry's node is the root of the next picture.
    const std::vector<ZoomEntry>& zoomStack() const { return zoomStack_; }
    // Zooms into folder `node`, animated from its rectangle when `animated` and the rectangle is
    // more than a pixel each way. Nothing happens without a store, for anything but a published
    // folder, or for the folder already at the root. True when the zoom changed (a picture was
    // asked for; the window starts or keeps its animation timer and tells the main window).
    bool zoomIn(std::int32_t node, std::uint64_t now, bool animated);
    // A double click: zooms into the hovered folder, or into the folder holding the hovered
    // file. Space blocks do nothing.
    bool zoomIntoHovered(std::uint64_t now, bool animated);
    // Enter: the same for the selected node.
    bool zoomIntoSelected(std::uint64_t now, bool animated);
    // An arrow key: the node of the item beside the selected one on that side (see itemBeside),
    // at the selection's level (see siblingLevelOf);
    // with nothing beside it, the selected folder's child at its top left corner (which steps
    // into a folder that reaches the edge); with nothing of this picture selected, the item at
    // the picture's top left corner. -1 when the selection stays.
    std::int32_t nodeBeside(Direction direction) const;
    // Back one step, animated toward the rectangle it was entered from. Nothing with the base
    // entry alone.
    bool zoomOut(std::uint64_t now, bool animated);
    // Back to the base entry at once, without animation. Always a change.
    void zoomToTop();

    // The running animation, or none.
    const ZoomAnimation* animation() const { return animation_.get(); }
    // Where the animation's snapshot goes at `now`; none without an animation. After its
    // finished frame is painted the window calls dropAnimation and stops its timer.
    std::optional<AnimationFrame> animationFrame(std::uint64_t now) const;
    void dropAnimation() { animation_.reset(); }

    // The frames to draw over the picture, in client pixels; none when there is nothing to frame.
    std::optional<PixelRect> hoverFrame() const;
    std::optional<SelectionFrame> selectionFrame() const;

  private:
    bool isPublished(std::int32_t node) const;
    // The item an arrow lands on, raised to the selection's level: of its folders, the one whose
    // folder also holds the selection, so that the arrows go from sibling to sibling and cross
    // into another folder by choosing that folder. Needs a selection in the published rows.
    std::int32_t siblingLevelOf(std::int32_t node) const;
    // Zooms into `node` when it is a folder, else into the folder that holds it.
    bool zoomIntoFolderOf(std::int32_t node, std::uint64_t now, bool animated);
    // Whether `node` is reached from the root through the children of its folders.
    bool isInTree(scan::NodeId node, std::uint64_t published) const;
    void startAnimation(ZoomDirection direction, const Rect& target, std::uint64_t now);

    std::shared_ptr<const scan::NodeStore> store_;
    const KindColours* colours_ = nullptr;
    TreemapOptions options_;
    std::uintptr_t window_ = 0;
    std::shared_ptr<BuildNotifier> notifier_;
    ClientSize client_;
    BuildSchedule schedule_;
    std::unique_ptr<TreemapImage> picture_;
    // Set while recycling is on.
    std::shared_ptr<PictureRecycler> recycler_;
    std::int32_t hoverItem_ = -1;
    std::int32_t selectedNode_ = -1;
    std::vector<ZoomEntry> zoomStack_;
    std::unique_ptr<ZoomAnimation> animation_;
};

}  // namespace treemap
