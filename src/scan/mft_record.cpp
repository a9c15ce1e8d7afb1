#include "scan/mft_record.h"

#include <limits>

namespace scan {

std::uint64_t readUnsigned(Bytes bytes, std::size_t offset, std::size_t width) {
    std::uint64_t value = 0;
    for (std::size_t i = width; i > 0; --i) {
        value = (value << 8) | bytes[offset + i - 1];
    }
    return value;
}

bool applyFixUp(std::span<std::uint8_t> record) {
    if (record.size() < 8) {
        return false;
    }
    const std::size_t offset = read16(record, 4);
    const std::size_t count = read16(record, 6);
    if (count == 0 || !fits(offset, 2 * count, record.size())) {
        return false;
    }
    const std::uint16_t sequence = read16(record, offset);
    for (std::size_t i = 1; i < count; ++i) {
        const std::size_t tail = i * kFixUpStride - 2;
        if (!fits(tail, 2, record.size()) || read16(record, tail) != sequence) {
            return false;
        }
        record[tail] = record[offset + 2 * i];
        record[tail + 1] = record[offset + 2 * i + 1];
    }
    return true;
}

bool readRecordHeader(Bytes record, RecordHeader& header) {
    if (record.size() < 48 || read32(record, 0) != 0x454c4946) {
        return false;
    }
    header.flags = read16(record, 22);
    header.firstAttribute = read16(record, 20);
    const std::uint64_t inUse = read32(record, 24);
    header.end = static_cast<std::uint32_t>(inUse < record.size() ? inUse : record.size());
    header.baseReference = read64(record, 32);
    return (header.flags & kRecordInUse) != 0 && header.firstAttribute < record.size();
}

bool Attribute::residentValue(Bytes& value) const {
    if (nonResident || bytes.size() < 24) {
        return false;
    }
    const std::uint32_t length = read32(bytes, 16);
    const std::uint16_t offset = read16(bytes, 20);
    if (!fits(offset, length, bytes.size())) {
        return false;
    }
    value = bytes.subspan(offset, length);
    return true;
}

bool Attribute::startingVcn(std::int64_t& vcn) const {
    if (!nonResident || bytes.size() < 24) {
        return false;
    }
    vcn = static_cast<std::int64_t>(read64(bytes, 16));
    return true;
}

bool Attribute::dataSize(std::uint64_t& size) const {
    if (!nonResident || bytes.size() < 56) {
        return false;
    }
    size = read64(bytes, 48);
    return true;
}

bool Attribute::initializedSize(std::uint64_t& size) const {
    if (!nonResident || bytes.size() < 64) {
        return false;
    }
    size = read64(bytes, 56);
    return true;
}

Bytes Attribute::mappingPairs() const {
    if (!nonResident || bytes.size() < 34) {
        return {};
    }
    const std::size_t offset = read16(bytes, 32);
    if (offset > bytes.size()) {
        return {};
    }
    return bytes.subspan(offset);
}

namespace {

std::int64_t readSigned(Bytes bytes, std::size_t offset, std::size_t width) {
    std::uint64_t value = readUnsigned(bytes, offset, width);
    if (width < 8 && (value & (std::uint64_t{1} << (8 * width - 1))) != 0) {
        value |= ~std::uint64_t{0} << (8 * width);
    }
    return static_cast<std::int64_t>(value);
}

// Walks the runs of a mapping pairs list; `take` answers false to stop early (a success).
template <class Take>
bool walkRuns(Bytes pairs, Take&& take) {
    std::size_t position = 0;
    std::int64_t cluster = 0;
    while (position < pairs.size()) {
        const std::uint8_t header = pairs[position];
        if (header == 0) {
            return true;
        }
        const std::size_t lengthWidth = header & 0x0F;
        const std::size_t offsetWidth = header >> 4;
        if (lengthWidth < 1 || lengthWidth > 8 || offsetWidth > 8 ||
            !fits(position + 1, lengthWidth + offsetWidth, pairs.size())) {
            return false;
        }
        const std::int64_t length = readSigned(pairs, position + 1, lengthWidth);
        if (length <= 0) {
            return false;
        }
        DataRun run;
        run.clusterCount = static_cast<std::uint64_t>(length);
        run.sparse = offsetWidth == 0;
        if (!run.sparse) {
            const std::int64_t delta = readSigned(pairs, position + 1 + lengthWidth, offsetWidth);
            if (__builtin_add_overflow(cluster, delta, &cluster)) {
                return false;
            }
            run.firstCluster = cluster;
        }
        if (!take(run)) {
            return true;
        }
        position += 1 + lengthWidth + offsetWidth;
    }
    return true;
}

}  // namespace

bool decodeRuns(Bytes pairs, std::size_t maxRuns, std::vector<DataRun>& runs) {
    runs.clear();
    bool tooMany = false;
    const bool wellFormed = walkRuns(pairs, [&](const DataRun& run) {
        if (runs.size() >= maxRuns) {
            tooMany = true;
            return false;
        }
        runs.push_back(run);
        return true;
    });
    return wellFormed && !tooMany;
}

bool countAllocatedClusters(Bytes pairs, std::uint64_t clusterLimit, std::uint64_t& clusters) {
    std::uint64_t sum = 0;
    bool tooLarge = false;
    const bool wellFormed = walkRuns(pairs, [&](const DataRun& run) {
        if (run.sparse) {
            return true;
        }
        if (run.clusterCount > clusterLimit - sum) {
            tooLarge = true;
            return false;
        }
        sum += run.clusterCount;
        return true;
    });
    clusters = wellFormed && !tooLarge ? sum : 0;
    return wellFormed && !tooLarge;
}

}  // namespace scan
