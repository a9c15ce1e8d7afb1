#pragma once

// Where every control and pane of the main window goes, and how the two splitters move. Plain
// arithmetic over the client size and the DPI, so the window only moves its children to the
// rectangles given here and forwards mouse input.

#include <cstdint>
#include <vector>

namespace app {

// A length given at 96 DPI, at `dpi` (0 counts as 96), rounded as the drawing kit rounds.
int scaledLength(int length, int dpi);

// x, y, width and height in client pixels, as a window is moved.
struct PaneRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    int right() const { return x + width; }
    int bottom() const { return y + height; }
    friend bool operator==(const PaneRect&, const PaneRect&) = default;
};

struct PanePlace {
    bool shown = false;
    PaneRect rect;  // meaningful only when shown
};

// The metrics of the window at its DPI. Every length is at 96 DPI in the source and scaled here
// once per layout.
struct ChromeMetrics {
    int toolbarHeight = 0;  // the band above the content
    int gap = 0;            // splitter thickness
    int margin = 0;
    int buttonHeight = 0;

    static ChromeMetrics at(int dpi);
};

// What the window knows at the moment it lays out.
struct LayoutRequest {
    int clientWidth = 0;
    int clientHeight = 0;
    int dpi = 96;
    bool welcomeShown = true;
    bool pendingShown = false;  // the pending deletes list holds something
    bool showKinds = true;      // ShowFileKindStatistics
    bool splitHorizontally = false;
};

struct Toolbar {
    PaneRect open;
    PaneRect measureBox;  // its height includes the dropped list
    PaneRect zoomOut;
    PaneRect stop;
    PaneRect refresh;
};

// Where the status line goes in the band, as edges. Drawn only when left < right; it is computed
// from the "Zoom Out" button's place even while that button is hidden.
struct StatusArea {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool drawn() const { return left < right; }
};

// The status line runs from the measure box to the leftmost of the buttons on its right that are
// shown (the "Zoom Out" and "Stop" buttons come and go, "Refresh" stays): a hidden button leaves
// its room to the text instead of a blank. `shown` lists the right-hand buttons that are visible,
// in any order; with none, the line runs to the margin.
StatusArea statusAreaOf(const PaneRect& measureBox, const std::vector<PaneRect>& shown,
                        int clientWidth, int dpi);

// The smallest client area at which the toolbar keeps every button apart with room for the
// status line between them, and the panes keep their minimum sizes beside a treemap of some
// size in either split. The window refuses to be made smaller (WM_GETMINMAXINFO).
struct ClientSize {
    int width = 0;
    int height = 0;
};
ClientSize minimumClientSize(int dpi);

struct MainLayoutResult {
    ChromeMetrics metrics;
    Toolbar toolbar;
    StatusArea status;
    PanePlace welcome;
    PanePlace kinds;
    PanePlace list;
    PanePlace treemap;
    PanePlace pending;
};

enum class Splitter { None, Kinds, List };
enum class SplitterCursor { None, SizeWestEast, SizeNorthSouth };

// The layout keeps the two sizes the user chose by dragging, and the drag in progress. The
// choices are clamped only where the panes are placed, never in store: a window made small for a
// while (or minimised) gives its panes back their widths when it grows again. Both sizes are
// physical pixels and are not rescaled when the DPI changes.
class MainLayout {
  public:
    static constexpr int kStartKindsWidth = 300;
    static constexpr int kStartListSize = 360;

    // Places everything, each dragged size clamped to what the window allows; the chosen sizes
    // stay as they are. When the window is too small for both limits the minimum wins, so a pane
    // keeps its smallest size and the treemap shrinks, down to nothing. No rectangle has a
    // negative size.
    MainLayoutResult layout(const LayoutRequest& request);

    // The splitter at a client point, against the last layout: none while the welcome view is
    // shown, above the content, or before the first layout.
    Splitter hitSplitter(int x, int y) const;
    // The cursor over a point: the sizing arrow across the splitter there, or none.
    SplitterCursor cursorAt(int x, int y) const;

    // A button press: starts a drag when it lands on a splitter. True means the window should
    // capture the mouse.
    bool beginDrag(int x, int y);
    // The mouse moved while dragging: moves the dragged size by as much as the mouse moved since
    // the press, from where the splitter was drawn, unclamped. True means a size changed and the
    // window should lay out again, which clamps it.
    bool dragTo(int x, int y);
    // The button was released or the capture was lost (a dialog took the mouse mid-drag). The
    // dragged size becomes what the last layout's window allows, so a splitter dropped past its
    // limit stays where it stopped rather than jumping on when the window grows. True when a
    // drag was running.
    bool endDrag();
    bool dragging() const { return dragSplitter_ != Splitter::None; }

    // The sizes as the last layout placed them (the chosen ones before any layout).
    int kindsWidth() const { return placedKindsWidth_; }
    int listSize() const { return placedListSize_; }
    // The sizes the user chose, which the window shows whenever it is large enough.
    int chosenKindsWidth() const { return kindsWidth_; }
    int chosenListSize() const { return listSize_; }

  private:
    int dragCoordinate(int x, int y) const;
    // The chosen sizes clamped to what `request` allows.
    int placedKindsWidth(const LayoutRequest& request) const;
    int placedListSize(const LayoutRequest& request) const;

    int kindsWidth_ = kStartKindsWidth;
    int listSize_ = kStartListSize;
    int placedKindsWidth_ = kStartKindsWidth;
    int placedListSize_ = kStartListSize;
    bool laidOut_ = false;
    LayoutRequest last_;
    ChromeMetrics metrics_;
    Splitter dragSplitter_ = Splitter::None;
    int dragStartCoordinate_ = 0;
    int dragStartValue_ = 0;
};

}  // namespace app
