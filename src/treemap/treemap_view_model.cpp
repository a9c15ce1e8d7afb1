#include "treemap/treemap_view_model.h"

#include <algorithm>
#include <cmath>

#include <utility>

namespace treemap {

TreemapViewModel::TreemapViewModel() : zoomStack_{ZoomEntry{}} {}

void TreemapViewModel::deliverTo(std::uintptr_t window) {
    window_ = window;
    notifier_.reset();
}

void TreemapViewModel::deliverTo(std::shared_ptr<BuildNotifier> notifier) {
    window_ = 0;
    notifier_ = std::move(notifier);
}

void TreemapViewModel::setStore(std::shared_ptr<const scan::NodeStore> store) {
    store_ = std::move(store);
    schedule_.invalidate();
    picture_.reset();
    hoverItem_ = -1;
    selectedNode_ = -1;
    zoomStack_.assign(1, ZoomEntry{});
    animation_.reset();
}

void TreemapViewModel::setRecycling(bool on) {
    if (!on) {
        recycler_.reset();
    } else if (!recycler_) {
        recycler_ = std::make_shared<PictureRecycler>();
    }
}

void TreemapViewModel::resize(ClientSize client) {
    client_ = client;
    requestPicture();
}

bool TreemapViewModel::requestPicture() {
    if (!store_ || colours_ == nullptr) {
        return false;
    }
    const std::uint64_t published = store_->publishedCount();
    if (published == 0 || client_.width <= 1 || client_.height <= 1) {
        return false;
    }
    const std::optional<std::uint32_t> generation = schedule_.begin();
    if (!generation) {
        return false;
    }
    TreemapJob job;
    job.store = store_;
    // A zoomed folder that is not (or no longer) in the tree falls back to the scan's root: a
    // folder refreshed above it, or a removal, leaves its rows behind with their old listing.
    job.root = isInTree(zoomStack_.back().node, published) ? zoomStack_.back().node : 0;
    job.width = client_.width;
    job.height = client_.height;
    job.colours = *colours_;
    job.options = options_;
    job.generation = *generation;
    job.window = window_;
    job.notifier = notifier_;
    job.lost = schedule_.lostBuilds();
    job.recycler = recycler_;
    startTreemapBuild(std::move(job));
    return true;
}

bool TreemapViewModel::acceptBuild(std::uint32_t generation, std::unique_ptr<BuildResult> result) {
    const double milliseconds = result ? result->milliseconds : 0;
    const bool accepted =
        schedule_.finish(generation, milliseconds) == BuildSchedule::Verdict::Accepted;
    if (accepted) {
        std::unique_ptr<TreemapImage> spent = std::move(picture_);
        picture_ = result ? std::move(result->image) : nullptr;
        if (recycler_ && spent) {
            recycler_->give(std::move(spent));
        }
        hoverItem_ = -1;
    }
    result.reset();
    if (schedule_.takePending()) {
        requestPicture();
    }
    return accepted;
}

bool TreemapViewModel::hitTest(int x, int y) {
    if (!picture_) {
        return false;
    }
    const std::optional<std::int32_t> index = itemIndexAt(*picture_, client_, x, y);
    if (!index || *index == hoverItem_) {
        return false;
    }
    hoverItem_ = *index;
    return true;
}

bool TreemapViewModel::clearHover() {
    if (hoverItem_ == -1) {
        return false;
    }
    hoverItem_ = -1;
    return true;
}

const TreemapItem* TreemapViewModel::hoveredItem() const {
    if (!picture_ || hoverItem_ < 0 ||
        static_cast<std::size_t>(hoverItem_) >= picture_->items.size()) {
        return nullptr;
    }
    return &picture_->items[static_cast<std::size_t>(hoverItem_)];
}

bool TreemapViewModel::setSelectedNode(std::int32_t node) {
    if (node == selectedNode_) {
        return false;
    }
    selectedNode_ = node;
    return true;
}

bool TreemapViewModel::isInTree(scan::NodeId node, std::uint64_t published) const {
    // Children of a removed folder lose their place in its listing, so only the node itself needs
    // its flag read.
    return node < published && !store_->hasFlag(node, scan::FlagRemoved) &&
           scan::isListedUpToRoot(*store_, node, published);
}

bool TreemapViewModel::isPublished(std::int32_t node) const {
    return store_ && node >= 0 && static_cast<std::uint64_t>(node) < store_->publishedCount();
}

std::int32_t TreemapViewModel::nodeOfItem(std::int32_t index) const {
    if (!picture_ || index < 0 || static_cast<std::size_t>(index) >= picture_->items.size()) {
        return -1;
    }
    const TreemapItem& item = picture_->items[static_cast<std::size_t>(index)];
    if (item.node >= 0 && item.hiddenCount > 0 && isPublished(item.node)) {
        // A click on merged small items means the folder that holds them.
        return static_cast<std::int32_t>(store_->parent.get(static_cast<scan::NodeId>(item.node)));
    }
    return item.node;
}

bool TreemapViewModel::zoomIn(std::int32_t node, std::uint64_t now, bool animated) {
    if (!isPublished(node)) {
        return false;
    }
    const auto folder = static_cast<scan::NodeId>(node);
    if (!store_->hasFlag(folder, scan::FlagFolder) || zoomStack_.back().node == folder) {
        return false;
    }
    Rect onScreen;
    if (picture_ && picture_->width > 0 && picture_->height > 0) {
        if (const Rect* found = picture_->nodeRects.find(folder)) {
            onScreen = toClient(*found, picture_->width, picture_->height, client_);
        }
    }
    zoomStack_.push_back({folder, onScreen});
    if (animated && onScreen.w > 1 && onScreen.h > 1) {
        startAnimation(ZoomDirection::In, onScreen, now);
    }
    requestPicture();
    return true;
}

bool TreemapViewModel::zoomIntoHovered(std::uint64_t now, bool animated) {
    return zoomIntoFolderOf(nodeOfItem(hoverItem_), now, animated);
}

bool TreemapViewModel::zoomIntoSelected(std::uint64_t now, bool animated) {
    return zoomIntoFolderOf(selectedNode_, now, animated);
}

std::int32_t TreemapViewModel::nodeBeside(Direction direction) const {
    if (!picture_ || picture_->pixels.empty()) {
        return -1;
    }
    const Rect* from = selectedNode_ >= 0
                           ? picture_->nodeRects.find(static_cast<scan::NodeId>(selectedNode_))
                           : nullptr;
    if (from == nullptr) {
        // Nothing chosen in this picture yet: the arrows start at the top left corner.
        return nodeOfItem(picture_->itemAt.empty() ? -1 : picture_->itemAt.front());
    }
    const std::int32_t beside = nodeOfItem(itemBeside(*picture_, *from, direction));
    if (isPublished(beside)) {
        return siblingLevelOf(beside);
    }
    // Nothing beside a folder that reaches the picture's edge (the root, say): the arrows go into
    // it instead, at its top left corner, so that no choice is a dead end.
    const int x = std::clamp(static_cast<int>(std::ceil(from->x)), 0, picture_->width - 1);
    const int y = std::clamp(static_cast<int>(std::ceil(from->y)), 0, picture_->height - 1);
    const auto at = static_cast<std::size_t>(y) * static_cast<std::size_t>(picture_->width) +
                    static_cast<std::size_t>(x);
    std::int32_t inside = nodeOfItem(at < picture_->itemAt.size() ? picture_->itemAt[at] : -1);
    // One level down, to the folder's child that holds that corner, as a tree steps in.
    while (isPublished(inside) && inside != selectedNode_ && inside != 0 &&
           static_cast<std::int32_t>(store_->parent.get(static_cast<scan::NodeId>(inside))) !=
               selectedNode_) {
        inside = static_cast<std::int32_t>(store_->parent.get(static_cast<scan::NodeId>(inside)));
    }
    return inside == selectedNode_ || inside == 0 ? -1 : inside;
}

std::int32_t TreemapViewModel::siblingLevelOf(std::int32_t node) const {
    // The selection's folders, up to the root; the step ends in the first of them it meets.
    std::vector<scan::NodeId> above;
    for (auto at = static_cast<scan::NodeId>(selectedNode_);; at = store_->parent.get(at)) {
        above.push_back(at);
        if (at == 0) {
            break;
        }
    }
    auto step = static_cast<scan::NodeId>(node);
    while (step != 0 && std::find(above.begin(), above.end(), store_->parent.get(step)) ==
                            above.end()) {
        step = store_->parent.get(step);
    }
    return static_cast<std::int32_t>(step);
}

bool TreemapViewModel::zoomIntoFolderOf(std::int32_t node, std::uint64_t now, bool animated) {
    if (!isPublished(node)) {
        return false;
    }
    if (!store_->hasFlag(static_cast<scan::NodeId>(node), scan::FlagFolder)) {
        node = static_cast<std::int32_t>(store_->parent.get(static_cast<scan::NodeId>(node)));
    }
    return zoomIn(node, now, animated);
}

bool TreemapViewModel::zoomOut(std::uint64_t now, bool animated) {
    if (zoomStack_.size() < 2) {
        return false;
    }
    const Rect target = zoomStack_.back().rect;
    zoomStack_.pop_back();
    // A step entered without a rectangle (no picture showed the folder) has nowhere to go back to.
    if (animated && target.w > 1) {
        startAnimation(ZoomDirection::Out, target, now);
    }
    requestPicture();
    return true;
}

void TreemapViewModel::zoomToTop() {
    zoomStack_.assign(1, ZoomEntry{});
    animation_.reset();
    requestPicture();
}

void TreemapViewModel::startAnimation(ZoomDirection direction, const Rect& target,
                                      std::uint64_t now) {
    if (!picture_ || picture_->pixels.empty()) {
        return;
    }
    auto animation = std::make_unique<ZoomAnimation>();
    animation->pixels = picture_->pixels;
    animation->width = picture_->width;
    animation->height = picture_->height;
    animation->target = target;
    animation->direction = direction;
    animation->start = now;
    animation_ = std::move(animation);
}

std::optional<AnimationFrame> TreemapViewModel::animationFrame(std::uint64_t now) const {
    if (!animation_) {
        return std::nullopt;
    }
    return treemap::animationFrame(*animation_, client_, now);
}

std::optional<PixelRect> TreemapViewModel::hoverFrame() const {
    if (!picture_ || picture_->pixels.empty()) {
        return std::nullopt;
    }
    return treemap::hoverFrame(*picture_, client_, hoverItem_);
}

std::optional<SelectionFrame> TreemapViewModel::selectionFrame() const {
    if (!picture_ || picture_->pixels.empty()) {
        return std::nullopt;
    }
    return treemap::selectionFrame(*picture_, client_, selectedNode_);
}

}  // namespace treemap
