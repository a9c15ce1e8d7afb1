#include "treemap/png_writer.h"

#include <png.h>

#include <cstring>

namespace treemap {

bool writePng(const std::filesystem::path& path, const std::vector<std::uint32_t>& pixels,
              int width, int height) {
    if (width <= 0 || height <= 0 ||
        pixels.size() / static_cast<std::size_t>(width) < static_cast<std::size_t>(height)) {
        return false;
    }
    const auto w = static_cast<std::size_t>(width);
    const auto h = static_cast<std::size_t>(height);
    std::vector<png_byte> rgb(w * h * 3);
    for (std::size_t i = 0; i < w * h; ++i) {
        rgb[3 * i] = static_cast<png_byte>(pixels[i] >> 16);
        rgb[3 * i + 1] = static_cast<png_byte>(pixels[i] >> 8);
        rgb[3 * i + 2] = static_cast<png_byte>(pixels[i]);
    }

    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    const bool written = png_image_write_to_file(&image, path.c_str(), 0, rgb.data(),
                                                 static_cast<png_int_32>(w * 3), nullptr) != 0;
    png_image_free(&image);
    return written;
}

}  // namespace treemap
