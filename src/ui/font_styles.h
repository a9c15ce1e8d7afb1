#pragma once

// The six text styles of the user interface, all in Segoe UI. Portable, so the choice of size
// and weight is tested on any host.

namespace ui {

enum class FontStyle : int {
    Regular = 0,  // toolbar controls, panes and panels
    Small = 1,    // the lists with their small-font settings on, the pending deletes pane
    Default = 2,  // also what any unknown style value means
    Heading = 3,
    LargeHeading = 4,
    Title = 5,
};

struct FontTraits {
    int points = 9;
    int weight = 400;
};

constexpr FontTraits fontTraitsOf(FontStyle style) {
    switch (style) {
        case FontStyle::Small:
            return {8, 400};
        case FontStyle::Heading:
            return {10, 600};
        case FontStyle::LargeHeading:
            return {12, 600};
        case FontStyle::Title:
            return {16, 600};
        case FontStyle::Regular:
        case FontStyle::Default:
            break;
    }
    return {9, 400};
}

// Fonts are cached by this key (and the DPI): styles of equal size and weight share one font.
constexpr int fontKeyOf(FontTraits traits) {
    return traits.weight + 1000 * traits.points;
}

}  // namespace ui
