#pragma once

// The arithmetic between a finished picture and the view that shows it stretched over its client
// area: which item lies under a client point, and where the hover and selection frames go.
// Picture and client sizes are device pixels.

#include "treemap/treemap_layout.h"
#include "treemap/treemap_render.h"
#include "ui/box.h"

#include <cstdint>
#include <optional>

namespace treemap {

// Edges in client pixels: left and top inside, right and bottom just outside.
using PixelRect = ui::Box;

struct ClientSize {
    int width = 0;
    int height = 0;
};

// `rect`, in picture pixels of a picture of `pictureWidth` × `pictureHeight`, in client
// coordinates of a client of `client` size. The picture must not be empty.
Rect toClient(const Rect& rect, int pictureWidth, int pictureHeight, ClientSize client);

// Rounds each edge half away from zero.
PixelRect rounded(const Rect& rect);

// The index of the item painted under client point (x, y), -1 for none. The point is mapped to a
// picture pixel by truncation toward zero. None (nullopt) when the question cannot be asked: no
// picture, or a client without area.
std::optional<std::int32_t> itemIndexAt(const TreemapImage& picture, ClientSize client, int x,
                                        int y);

// The 1-pixel hover frame of item `index`: its client rectangle rounded and shrunk by one pixel on
// each side. None when the index names no item or nothing is left.
std::optional<PixelRect> hoverFrame(const TreemapImage& picture, ClientSize client,
                                    std::int32_t index);

// The selection frame: `outer` is drawn 2 pixels thick in white, `inner` (when not empty) 1 pixel
// thick in a near black just inside it.
struct SelectionFrame {
    PixelRect outer;
    std::optional<PixelRect> inner;
};

inline constexpr int kSmallSelection = 26;

// The frame of `node`'s rectangle in the picture, grown by 2 pixels on each side when it is
// narrower or lower than kSmallSelection pixels, so that a small selection stays visible. None
// when the picture holds no rectangle for the node.
std::optional<SelectionFrame> selectionFrame(const TreemapImage& picture, ClientSize client,
                                             std::int32_t node);

// The ways the arrow keys move the selection over the picture.
enum class Direction { Left, Right, Up, Down };

// The drawn item that stands beside `from` (a rectangle in picture pixels) on the side
// `direction`: of the drawn items wholly past that edge and overlapping `from` across it, the
// nearest to the edge, and of those the one whose middle is nearest `from`'s middle. Space blocks
// (negative nodes) are passed over: there is nothing in them to choose. -1 when there is none.
std::int32_t itemBeside(const TreemapImage& picture, const Rect& from, Direction direction);

}  // namespace treemap
