// Renders the treemap of a folder on disk to a PNG, to look at what the layout and the shading
// make of a real tree:  treemap_picture FOLDER OUT.png [WIDTH HEIGHT]

#include "folder_store.h"
#include "treemap/png_writer.h"
#include "treemap/treemap_render.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 3 && argc != 5) {
        std::fprintf(stderr, "usage: treemap_picture FOLDER OUT.png [WIDTH HEIGHT]\n");
        return 2;
    }
    const int width = argc == 5 ? std::atoi(argv[3]) : 1280;
    const int height = argc == 5 ? std::atoi(argv[4]) : 800;
    const auto store = treemap::testing::storeOfFolder(argv[1]);

    const auto start = std::chrono::steady_clock::now();
    const treemap::TreemapImage image =
        treemap::renderTreemap(*store, 0, width, height, treemap::KindColours(), {});
    const std::chrono::duration<double, std::milli> elapsed =
        std::chrono::steady_clock::now() - start;

    std::size_t drawn = 0;
    std::size_t containers = 0;
    for (const treemap::TreemapItem& item : image.items) {
        (item.drawn ? drawn : containers) += 1;
    }
    std::printf("%llu rows, %llu bytes allocated; %zu drawn items in %zu folders, %.1f ms\n",
                static_cast<unsigned long long>(store->publishedCount()),
                static_cast<unsigned long long>(store->allocated.get(0)), drawn, containers,
                elapsed.count());
    if (!treemap::writePng(argv[2], image)) {
        std::fprintf(stderr, "treemap_picture: could not write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
