#include "scan/mft_record_table.h"

#include "scan/node_store.h"

#include <limits>

namespace scan {

namespace {

constexpr std::uint8_t kNamespaceDos = 2;

// The facts one record gives, before they are stored for its target.
struct RecordFacts {
    bool hasName = false;
    std::uint64_t parentReference = 0;
    std::uint8_t nameSpace = 0;
    Bytes nameUnits;
    bool hasSize = false;
    std::uint64_t size = 0;
    std::uint64_t dataBytes = 0;
    std::uint64_t indexBytes = 0;
    std::uint32_t created = 0;
};

// A name is copied as the volume stores it, so a damaged or hostile volume can hold units that
// no file system call would accept in a name; a path built from one would split or lead elsewhere
// once it is handed to the system. Such a name is not used.
bool isUsableName(Bytes units) {
    for (std::size_t i = 0; i + 1 < units.size(); i += 2) {
        const std::uint16_t unit = read16(units, i);
        if (unit == 0 || unit == u'\\' || unit == u'/') {
            return false;
        }
    }
    return true;
}

void takeResident(const Attribute& attribute, RecordFacts& facts) {
    Bytes value;
    if (!attribute.residentValue(value)) {
        return;
    }
    if (attribute.type == kAttributeStandardInformation && value.size() >= 36) {
        facts.created = createdFromFileTime(static_cast<std::int64_t>(read64(value, 0)));
    } else if (attribute.type == kAttributeFileName && value.size() >= 66) {
        const std::size_t length = value[64];
        const std::uint8_t nameSpace = value[65];
        if (value.size() < 66 + 2 * length || !isUsableName(value.subspan(66, 2 * length))) {
            return;
        }
        if (!facts.hasName || (facts.nameSpace == kNamespaceDos && nameSpace != kNamespaceDos)) {
            facts.hasName = true;
            facts.parentReference = read64(value, 0);
            facts.nameSpace = nameSpace;
            facts.nameUnits = value.subspan(66, 2 * length);
        }
    } else if (attribute.type == kAttributeData && attribute.nameLength == 0 && !facts.hasSize) {
        facts.hasSize = true;
        facts.size = value.size();
    }
}

void takeNonResident(const Attribute& attribute, bool directory, std::uint32_t bytesPerCluster,
                     std::uint64_t totalClusters, RecordFacts& facts) {
    const bool data = attribute.type == kAttributeData;
    if (data || (attribute.type == kAttributeIndexAllocation && directory)) {
        std::uint64_t clusters = 0;
        // A malformed list adds nothing; the cluster limit keeps the product below 2^64.
        countAllocatedClusters(attribute.mappingPairs(), totalClusters, clusters);
        const std::uint64_t bytes = clusters * bytesPerCluster;
        std::uint64_t& sum = data ? facts.dataBytes : facts.indexBytes;
        sum = bytes > UINT64_MAX - sum ? UINT64_MAX : sum + bytes;
    }
    std::int64_t vcn = -1;
    if (data && attribute.nameLength == 0 && !facts.hasSize && attribute.startingVcn(vcn) &&
        vcn == 0 && attribute.dataSize(facts.size)) {
        facts.hasSize = true;
    }
}

std::uint64_t saturatingAdd(std::uint64_t a, std::uint64_t b) {
    return b > UINT64_MAX - a ? UINT64_MAX : a + b;
}

}  // namespace

RecordTable::RecordTable(std::uint32_t count)
    : parentRecord(count),
      nameStart(count),
      nameLength(count),
      flags(count),
      allocated(count),
      size(count),
      created(count),
      count_(count) {
    names.reserve(std::uint64_t{count} * 12);
}

bool RecordTable::appendName(Bytes units, std::uint32_t& start) {
    const std::size_t length = units.size() / 2;
    if (names.size() + length > std::numeric_limits<std::uint32_t>::max()) {
        return false;
    }
    start = static_cast<std::uint32_t>(names.size());
    for (std::size_t i = 0; i < length; ++i) {
        names.push_back(static_cast<char16_t>(read16(units, 2 * i)));
    }
    return true;
}

void RecordTable::parseRecord(std::uint32_t number, Bytes record, std::uint32_t bytesPerCluster,
                              std::uint64_t totalClusters) {
    RecordHeader header;
    if (!readRecordHeader(record, header)) {
        return;
    }
    // Every bit counts: the extensions of record 0 have a base reference of a sequence number
    // alone.
    const bool extension = header.baseReference != 0;
    const std::uint64_t target = extension ? header.baseReference & kRecordNumberMask : number;
    if (target >= count_) {
        return;
    }
    const bool directory = (header.flags & kRecordDirectory) != 0;
    RecordFacts facts;
    forEachAttribute(record, header, [&](const Attribute& attribute) {
        if (attribute.nonResident) {
            // An extension record does not say whether its base is a directory.
            takeNonResident(attribute, directory || extension, bytesPerCluster, totalClusters,
                            facts);
        } else {
            takeResident(attribute, facts);
        }
    });

    const auto t = static_cast<std::uint32_t>(target);
    allocated[t] = saturatingAdd(allocated[t], facts.dataBytes);
    if (extension && facts.indexBytes != 0) {
        extensionIndexes_.push_back({t, facts.indexBytes});
    } else {
        allocated[t] = saturatingAdd(allocated[t], facts.indexBytes);
    }
    // The size is that of the stream's first piece, wherever it lies.
    if (facts.hasSize && !has(t, RecordSized)) {
        size[t] = facts.size;
        flags[t] |= RecordSized;
    }

    const std::uint64_t parent = facts.parentReference & kRecordNumberMask;
    const bool usableName = facts.hasName && !facts.nameUnits.empty() && parent < count_;
    std::uint32_t start = 0;
    if (!extension) {
        flags[t] =
            static_cast<std::uint8_t>(flags[t] | RecordBase | (directory ? RecordDirectory : 0));
        created[t] = facts.created;
        if (usableName && appendName(facts.nameUnits, start)) {
            parentRecord[t] = static_cast<std::uint32_t>(parent);
            nameStart[t] = start;
            nameLength[t] = static_cast<std::uint16_t>(facts.nameUnits.size() / 2);
            flags[t] =
                static_cast<std::uint8_t>((flags[t] & ~RecordNameFromExtension) | RecordNamed |
                                          (facts.nameSpace == kNamespaceDos ? RecordDosName : 0));
        }
    } else if (usableName && appendName(facts.nameUnits, start)) {
        extensionNames_.push_back({t, static_cast<std::uint32_t>(parent), start,
                                   static_cast<std::uint16_t>(facts.nameUnits.size() / 2),
                                   facts.nameSpace == kNamespaceDos});
    }
}

void RecordTable::resolveExtensions() {
    for (const ExtensionName& name : extensionNames_) {
        const std::uint32_t t = name.target;
        if (!has(t, RecordBase)) {
            continue;
        }
        const bool fromBase = has(t, RecordNamed) && !has(t, RecordNameFromExtension);
        const bool better = !has(t, RecordNamed) || (has(t, RecordDosName) && !name.dos);
        if (fromBase || !better) {
            continue;
        }
        parentRecord[t] = name.parentRecord;
        nameStart[t] = name.nameStart;
        nameLength[t] = name.nameLength;
        flags[t] =
            static_cast<std::uint8_t>((flags[t] & ~RecordDosName) | RecordNamed |
                                      RecordNameFromExtension | (name.dos ? RecordDosName : 0));
    }
    for (const ExtensionIndex& index : extensionIndexes_) {
        if (has(index.target, RecordDirectory)) {
            allocated[index.target] = saturatingAdd(allocated[index.target], index.bytes);
        }
    }
    extensionNames_.clear();
    extensionIndexes_.clear();
}

}  // namespace scan
