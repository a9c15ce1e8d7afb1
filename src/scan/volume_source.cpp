#include "scan/volume_source.h"

#include <array>

namespace scan {

bool readBootGeometry(VolumeSource& source, VolumeGeometry& geometry) {
    std::array<std::uint8_t, 512> sector{};
    return source.read(0, sector.data(), sector.size()) && geometryFromBootSector(sector, geometry);
}

}  // namespace scan
