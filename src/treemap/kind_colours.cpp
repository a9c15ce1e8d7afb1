#include "treemap/kind_colours.h"

#include <algorithm>
#include <cmath>

namespace treemap {

namespace {

constexpr double kGoldenRatioFraction = 0.6180339887;

std::uint32_t channel(double value) {
    return static_cast<std::uint32_t>(std::clamp(value * 255.0, 0.0, 255.0));
}

std::uint32_t fromHsv(double hue, double saturation, double value) {
    const double h6 = hue * 6;
    const double floor6 = std::floor(h6);
    const int sector = static_cast<int>(floor6) % 6;
    const double f = h6 - floor6;
    const double p = value * (1 - saturation);
    const double q = value * (1 - f * saturation);
    const double t = value * (1 - (1 - f) * saturation);
    double r = value;
    double g = p;
    double b = q;
    switch (sector) {
        case 0:
            r = value, g = t, b = p;
            break;
        case 1:
            r = q, g = value, b = p;
            break;
        case 2:
            r = p, g = value, b = t;
            break;
        case 3:
            r = p, g = q, b = value;
            break;
        case 4:
            r = t, g = p, b = value;
            break;
        default:
            break;
    }
    return 0xFF000000u | channel(r) << 16 | channel(g) << 8 | channel(b);
}

}  // namespace

std::uint32_t tableColour(std::size_t index) {
    if (index == scan::KindFolder) {
        return kFolderColour;
    }
    if (index == scan::KindSymbolicLink) {
        return kSymbolicLinkColour;
    }
    const double hue = std::fmod(static_cast<double>(index) * kGoldenRatioFraction, 1.0);
    const double saturation = 0.55 + 0.1 * static_cast<double>(index % 3);
    const double value = 0.72 + 0.18 * static_cast<double>(index % 2);
    return fromHsv(hue, saturation, value);
}

KindColours::KindColours() : KindColours(scan::kindCount()) {}

KindColours::KindColours(std::size_t kinds) {
    colours_.reserve(kinds);
    for (std::size_t index = 0; index < kinds; ++index) {
        colours_.push_back(tableColour(index));
    }
}

void KindColours::rankKinds(const std::vector<scan::KindTotal>& totals) {
    std::vector<scan::KindTotal> ranked = totals;
    std::stable_sort(
        ranked.begin(), ranked.end(),
        [](const scan::KindTotal& a, const scan::KindTotal& b) { return a.value > b.value; });
    rankOf_.clear();
    for (std::size_t position = 0; position < ranked.size(); ++position) {
        if (ranked[position].kind > 0xFFFF) {
            continue;
        }
        rankOf_[static_cast<scan::FileKind>(ranked[position].kind)] =
            static_cast<std::int32_t>(position);
    }
}

std::uint32_t KindColours::colourOf(int kind) const {
    if (!consistent_ && colours_.size() > kFixedColours && kind >= 0 && kind <= 0xFFFF) {
        const auto rank = rankOf_.find(static_cast<scan::FileKind>(kind));
        if (rank != rankOf_.end()) {
            const auto cycle = colours_.size() - kFixedColours;
            return colours_[kFixedColours + static_cast<std::size_t>(rank->second) % cycle];
        }
    }
    if (kind < 0 || static_cast<std::size_t>(kind) >= colours_.size()) {
        return kUnknownKindColour;
    }
    return colours_[static_cast<std::size_t>(kind)];
}

}  // namespace treemap
