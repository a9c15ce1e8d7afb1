#include "treemap/png_writer.h"

#include "png_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

namespace treemap {
namespace {

class PngWriter : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ =
            std::filesystem::temp_directory_path() / ("rozovizov-png-" + std::string(test->name()) +
                                                      "-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::filesystem::path folder_;
};

TEST_F(PngWriter, WritesEveryPixelSoThatADecoderReadsItBack) {
    const int width = 37;
    const int height = 11;
    std::vector<std::uint32_t> pixels(width * height);
    std::mt19937 random(3);
    for (std::uint32_t& pixel : pixels) {
        pixel = random() & 0xFFFFFF;
    }
    pixels[0] = 0x1C1C1E;
    const auto path = folder_ / "picture.png";
    ASSERT_TRUE(writePng(path, pixels, width, height));

    testing::DecodedPng decoded;
    ASSERT_TRUE(testing::readPng(path, decoded));
    EXPECT_EQ(decoded.width, width);
    EXPECT_EQ(decoded.height, height);
    EXPECT_EQ(decoded.pixels, pixels);
}

TEST_F(PngWriter, RefusesWhatItCannotWrite) {
    const std::vector<std::uint32_t> pixels(12, 0xFFFFFF);
    EXPECT_FALSE(writePng(folder_ / "missing" / "picture.png", pixels, 4, 3));
    EXPECT_FALSE(writePng(folder_ / "empty.png", pixels, 0, 3));
    EXPECT_FALSE(writePng(folder_ / "short.png", pixels, 4, 4)) << "fewer pixels than the size";
    EXPECT_FALSE(std::filesystem::exists(folder_ / "empty.png"));
    EXPECT_FALSE(writePng(folder_ / "image.png", TreemapImage{}));
}

}  // namespace
}  // namespace treemap
