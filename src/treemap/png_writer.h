#pragma once

// Saves a rendered picture as a PNG file, for the command line and for looking at pictures
// outside the program.

#include "treemap/treemap_render.h"

#include <cstdint>
#include <filesystem>
#include <vector>

namespace treemap {

// Writes width × height pixels (0x00RRGGBB, top row first) as an opaque 8-bit RGB PNG,
// replacing any file at `path`. True when the whole file was written. False when the size is
// not positive, `pixels` holds fewer than width × height values, or the file cannot be written
// or encoded; a partly written file may then be left behind.
bool writePng(const std::filesystem::path& path, const std::vector<std::uint32_t>& pixels,
              int width, int height);

inline bool writePng(const std::filesystem::path& path, const TreemapImage& image) {
    return writePng(path, image.pixels, image.width, image.height);
}

}  // namespace treemap
