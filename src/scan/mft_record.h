#pragma once

// The on-disk pieces of an NTFS file record: the update sequence fix-up, the attribute headers
// and the data runs. Every offset and length read from the disk is checked against the bytes at
// hand before it is used, so a damaged record can only be rejected, never read past.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace scan {

using Bytes = std::span<const std::uint8_t>;

// Little-endian unsigned number of `width` (1 to 8) bytes at `offset`; the caller has checked
// that the bytes lie within `bytes`.
std::uint64_t readUnsigned(Bytes bytes, std::size_t offset, std::size_t width);
inline std::uint16_t read16(Bytes bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(readUnsigned(bytes, offset, 2));
}
inline std::uint32_t read32(Bytes bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(readUnsigned(bytes, offset, 4));
}
inline std::uint64_t read64(Bytes bytes, std::size_t offset) {
    return readUnsigned(bytes, offset, 8);
}
// Whether [offset, offset + length) lies within a range of `size` bytes, without overflow.
inline bool fits(std::uint64_t offset, std::uint64_t length, std::uint64_t size) {
    return offset <= size && length <= size - offset;
}

inline constexpr std::uint32_t kAttributeStandardInformation = 0x10;
inline constexpr std::uint32_t kAttributeList = 0x20;
inline constexpr std::uint32_t kAttributeFileName = 0x30;
inline constexpr std::uint32_t kAttributeData = 0x80;
inline constexpr std::uint32_t kAttributeIndexAllocation = 0xA0;
inline constexpr std::uint32_t kAttributeEnd = 0xFFFFFFFF;

inline constexpr std::uint16_t kRecordInUse = 0x01;
inline constexpr std::uint16_t kRecordDirectory = 0x02;

// Record numbers are the low 48 bits of a file reference; the high 16 are a sequence number.
inline constexpr std::uint64_t kRecordNumberMask = 0x0000FFFFFFFFFFFF;

// The update sequence protects every 512 bytes of a record, whatever the sector size: a volume
// with 4,096-byte sectors has 4,096-byte records with nine sequence entries, not two.
inline constexpr std::size_t kFixUpStride = 512;

// Undoes the update sequence of one record in place: the last two bytes of every 512-byte stride
// must hold the sequence number and get back the bytes saved in the array. False when the array
// does not fit or a stride does not match (a torn write); the record must then be ignored.
bool applyFixUp(std::span<std::uint8_t> record);

// The header of a file record whose fix-up succeeded.
struct RecordHeader {
    std::uint16_t flags = 0;
    std::uint16_t firstAttribute = 0;
    // The end of the attribute area: bytes in use, cut to the record.
    std::uint32_t end = 0;
    // All 64 bits: any non-zero value, a sequence number alone included, marks an extension.
    std::uint64_t baseReference = 0;
};

// Reads the header; false unless the record says "FILE", is in use and its first attribute lies
// inside it.
bool readRecordHeader(Bytes record, RecordHeader& header);

// One attribute of a record. `bytes` covers exactly the attribute, header included.
struct Attribute {
    std::uint32_t type = 0;
    bool nonResident = false;
    std::uint8_t nameLength = 0;
    Bytes bytes;

    // A resident attribute's value; false when the attribute is not resident or its value does
    // not fit inside it.
    bool residentValue(Bytes& value) const;
    // Non-resident fields; each answers false when its field lies outside the attribute.
    bool startingVcn(std::int64_t& vcn) const;
    bool dataSize(std::uint64_t& size) const;
    bool initializedSize(std::uint64_t& size) const;
    // The mapping pairs, or an empty span when their offset lies outside the attribute.
    Bytes mappingPairs() const;
};

// Calls visit(const Attribute&) for each attribute from the first attribute offset to the end
// marker, stopping early at a length below 16 or an attribute that passes the end.
template <class Visit>
void forEachAttribute(Bytes record, const RecordHeader& header, Visit&& visit) {
    std::size_t offset = header.firstAttribute;
    const std::size_t end = header.end;
    while (offset + 16 <= end) {
        Attribute attribute;
        attribute.type = read32(record, offset);
        if (attribute.type == kAttributeEnd) {
            return;
        }
        const std::uint32_t length = read32(record, offset + 4);
        if (length < 16 || !fits(offset, length, end)) {
            return;
        }
        attribute.nonResident = record[offset + 8] != 0;
        attribute.nameLength = record[offset + 9];
        attribute.bytes = record.subspan(offset, length);
        visit(static_cast<const Attribute&>(attribute));
        offset += length;
    }
}

// One run of clusters; a sparse run has no clusters on the disk.
struct DataRun {
    std::int64_t firstCluster = 0;
    std::uint64_t clusterCount = 0;
    bool sparse = false;
};

// Decodes mapping pairs into `runs` (cleared first), in order. Answers false when the list is
// malformed: a field size out of range, a run passing the end, a length that is not positive, a
// cluster number that overflows, or more than `maxRuns` runs. Runs decoded before the fault stay
// in `runs`.
bool decodeRuns(Bytes pairs, std::size_t maxRuns, std::vector<DataRun>& runs);

// Sum of the non-sparse run lengths, or false (and 0) when the list is malformed or the sum
// passes `clusterLimit`, which no real allocation can.
bool countAllocatedClusters(Bytes pairs, std::uint64_t clusterLimit, std::uint64_t& clusters);

}  // namespace scan
