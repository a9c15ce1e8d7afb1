#pragma once

// Decodes a PNG with the platform's own decoder, so the tests of the writer check real files.

#include <cstdint>
#include <filesystem>
#include <vector>

namespace treemap::testing {

struct DecodedPng {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, top row first
};

// False when the file is missing or not a PNG the decoder accepts.
bool readPng(const std::filesystem::path& path, DecodedPng& decoded);

}  // namespace treemap::testing
