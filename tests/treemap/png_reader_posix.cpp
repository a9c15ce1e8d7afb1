#include "png_reader.h"

#include <png.h>

#include <cstring>

namespace treemap::testing {

bool readPng(const std::filesystem::path& path, DecodedPng& decoded) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
        return false;
    }
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) == 0) {
        png_image_free(&image);
        return false;
    }
    decoded.width = static_cast<int>(image.width);
    decoded.height = static_cast<int>(image.height);
    decoded.pixels.resize(static_cast<std::size_t>(image.width) * image.height);
    for (std::size_t i = 0; i < decoded.pixels.size(); ++i) {
        decoded.pixels[i] =
            std::uint32_t{rgb[3 * i]} << 16 | std::uint32_t{rgb[3 * i + 1]} << 8 | rgb[3 * i + 2];
    }
    return true;
}

}  // namespace treemap::testing
