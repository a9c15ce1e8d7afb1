// The rules behind the appearance, DPI scaling and fonts, apart from any window.

#include "ui/font_styles.h"
#include "ui/palette.h"
#include "ui/scaling.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace ui {
namespace {

TEST(Appearance, TheVariableDecidesAloneAndOtherwiseTheSystemValue) {
    const StoredNumber missing{};
    const StoredNumber darkSystem{true, 0};
    const StoredNumber lightSystem{true, 1};
    struct Case {
        std::optional<std::u16string> variable;
        StoredNumber system;
        bool dark;
    };
    const Case cases[] = {
        {std::nullopt, missing, false},
        {std::nullopt, darkSystem, true},
        {std::nullopt, lightSystem, false},
        {std::nullopt, {true, 2}, false},
        // A value that is not a 32-bit number (a string "0", a 64-bit 0) reads as absent.
        {std::nullopt, {false, 0}, false},
        {u"DARK", lightSystem, true},
        {u"dArK", missing, true},
        {u"Light", darkSystem, false},
        {u"LIGHT", darkSystem, false},
        {u"darker", lightSystem, false},
        {u"darker", darkSystem, true},
        {u"", darkSystem, true},
        {u" dark", lightSystem, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.variable ? std::string(c.variable->begin(), c.variable->end()) : "(unset)");
        SCOPED_TRACE(testing::Message() << "system " << c.system.isDword << "/" << c.system.value);
        const std::optional<std::u16string_view> variable =
            c.variable ? std::optional<std::u16string_view>(*c.variable) : std::nullopt;
        EXPECT_EQ(darkAppearanceChosen(variable, c.system), c.dark);
    }
}

TEST(Appearance, BothColumnsFillEveryRoleAndTheTreemapFrameIsShared) {
    const Palette light = paletteColours(false);
    const Palette dark = paletteColours(true);
    EXPECT_FALSE(light.dark);
    EXPECT_TRUE(dark.dark);
    EXPECT_FALSE(light.loaded);
    EXPECT_EQ(light.chromeBackground, 0xF3F3F3u);
    EXPECT_EQ(dark.chromeBackground, 0x202020u);
    EXPECT_EQ(light.accent, 0xD77800u) << "GDI colours keep blue in the high byte";
    EXPECT_EQ(light.treemapBackground, dark.treemapBackground);
    EXPECT_NE(light.text, dark.text);
    EXPECT_NE(light.paneBackground, dark.paneBackground);
}

TEST(Appearance, DarkMenusOnlyFromTheFirstBuildThatHasTheSwitch) {
    EXPECT_FALSE(darkMenuSwitchExists(0)) << "an unknown build";
    EXPECT_FALSE(darkMenuSwitchExists(9600)) << "Windows 8.1";
    EXPECT_FALSE(darkMenuSwitchExists(17763));
    EXPECT_FALSE(darkMenuSwitchExists(18361));
    EXPECT_TRUE(darkMenuSwitchExists(18362));
    EXPECT_TRUE(darkMenuSwitchExists(22631));
}

TEST(Scaling, LengthsRoundAsThePlatformDoes) {
    struct Case {
        int value;
        int numerator;
        int denominator;
        int expected;
    };
    const Case cases[] = {
        {42, 96, 96, 42},  {42, 144, 96, 63},
        {26, 144, 96, 39}, {1, 120, 96, 1},
        {2, 120, 96, 3},   {-2, 120, 96, -3},
        {3, 144, 96, 5},   {-3, 144, 96, -5},
        {7, 1, 2, 4},      {-7, 1, 2, -4},
        {7, -1, 2, -4},    {7, 1, -2, -4},
        {5, 3, 0, -1},     {2'000'000'000, 2, 1, -1},
        {0, 144, 96, 0},   {2'000'000'000, 96, 192, 1'000'000'000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.value << " * " << c.numerator << " / " << c.denominator);
        EXPECT_EQ(mulDiv(c.value, c.numerator, c.denominator), c.expected);
    }
    EXPECT_EQ(scaleLength(42, 96), 42);
    EXPECT_EQ(scaleLength(42, 144), 63);
    EXPECT_EQ(scaleLength(42, effectiveDpi(0)), 42) << "a DPI of 0 counts as 96";
    EXPECT_EQ(effectiveDpi(192), 192);
}

TEST(Fonts, StylesSizesAndSharedCacheKeys) {
    struct Case {
        int style;
        int points;
        int weight;
        int heightAt96;
        int heightAt144;
    };
    const Case cases[] = {
        {0, 9, 400, -12, -18},  {1, 8, 400, -11, -16},  {2, 9, 400, -12, -18},
        {3, 10, 600, -13, -20}, {4, 12, 600, -16, -24}, {5, 16, 600, -21, -32},
        {42, 9, 400, -12, -18}, {-1, 9, 400, -12, -18},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "style " << c.style);
        const FontTraits traits = fontTraitsOf(static_cast<FontStyle>(c.style));
        EXPECT_EQ(traits.points, c.points);
        EXPECT_EQ(traits.weight, c.weight);
        EXPECT_EQ(fontHeightFor(traits.points, 96), c.heightAt96);
        EXPECT_EQ(fontHeightFor(traits.points, 144), c.heightAt144);
    }
    EXPECT_EQ(fontKeyOf(fontTraitsOf(FontStyle::Regular)),
              fontKeyOf(fontTraitsOf(FontStyle::Default)))
        << "Regular and Default share one font";
    EXPECT_NE(fontKeyOf(fontTraitsOf(FontStyle::Regular)),
              fontKeyOf(fontTraitsOf(FontStyle::Small)));
}

}  // namespace
}  // namespace ui
