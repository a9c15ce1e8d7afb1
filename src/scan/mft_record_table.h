#pragma once

// The facts taken from every record of the master file table, in flat arrays indexed by record
// number, and the names in one buffer. Filled record by record while the table is read; the tree
// is built from it afterwards.

#include "scan/mft_record.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace scan {

enum RecordFact : std::uint8_t {
    RecordNamed = 0x01,      // has a usable name: becomes a node
    RecordDirectory = 0x02,  // is a directory
    RecordBase = 0x04,       // its own (base) record was read and is in use
    RecordSized = 0x08,      // its logical size was found
    RecordDosName = 0x10,    // the chosen name is a DOS short name
    RecordNameFromExtension = 0x20,
};

// A name found in an extension record, kept until every record is read: it counts for its base
// record only when the base record itself has no usable name.
struct ExtensionName {
    std::uint32_t target = 0;
    std::uint32_t parentRecord = 0;
    std::uint32_t nameStart = 0;
    std::uint16_t nameLength = 0;
    bool dos = false;
};

// Index allocation found in an extension record; it counts only when the base is a directory,
// which the extension record itself does not say.
struct ExtensionIndex {
    std::uint32_t target = 0;
    std::uint64_t bytes = 0;
};

class RecordTable {
  public:
    // Room for records 0 .. count - 1, all zero.
    explicit RecordTable(std::uint32_t count);

    std::uint32_t count() const { return count_; }

    // Takes the facts of record `number` (fixed up). A record that fails its checks changes
    // nothing; one whose base lies outside the table is ignored.
    void parseRecord(std::uint32_t number, Bytes record, std::uint32_t bytesPerCluster,
                     std::uint64_t totalClusters);
    // After the last record: gives names from extension records to base records without one,
    // and index allocation to directories.
    void resolveExtensions();

    bool has(std::uint32_t record, RecordFact fact) const { return (flags[record] & fact) != 0; }
    std::u16string_view nameOf(std::uint32_t record) const {
        return {names.data() + nameStart[record], nameLength[record]};
    }

    std::vector<std::uint32_t> parentRecord;
    std::vector<std::uint32_t> nameStart;
    std::vector<std::uint16_t> nameLength;
    std::vector<std::uint8_t> flags;
    std::vector<std::uint64_t> allocated;
    std::vector<std::uint64_t> size;
    std::vector<std::uint32_t> created;
    std::vector<char16_t> names;

  private:
    // Appends a name's UTF-16 units; answers its start, or false when the buffer's 32-bit offsets
    // would overflow.
    bool appendName(Bytes units, std::uint32_t& start);

    std::uint32_t count_;
    std::vector<ExtensionName> extensionNames_;
    std::vector<ExtensionIndex> extensionIndexes_;
};

}  // namespace scan
