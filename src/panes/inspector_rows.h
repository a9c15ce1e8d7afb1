#pragma once

// What the information and selection panels show about one node, apart from their windows: the
// labelled lines of the one and the chain of folders of the other, and the words for a file's
// attribute bits. The file system's answers are handed in, so these are tested on any host.

#include "scan/node_store.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace panes {

inline constexpr std::uint32_t kAttributeReadOnly = 0x1;
inline constexpr std::uint32_t kAttributeHidden = 0x2;
inline constexpr std::uint32_t kAttributeSystem = 0x4;
inline constexpr std::uint32_t kAttributeTemporary = 0x100;
inline constexpr std::uint32_t kAttributeSparse = 0x200;
inline constexpr std::uint32_t kAttributeReparsePoint = 0x400;
inline constexpr std::uint32_t kAttributeCompressed = 0x800;
inline constexpr std::uint32_t kAttributeEncrypted = 0x4000;
// What the platform answers for attributes it could not read.
inline constexpr std::uint32_t kInvalidAttributes = 0xFFFFFFFF;

// The text of an unknown value.
inline constexpr const char16_t* kUnknownText = u"\u2014";

// What the views say of a folder whose listing failed, in place of its size (which would read
// as an empty folder): the file list's value column, the information panel and the tooltip.
inline constexpr const char16_t* kUnreadableText = u"could not be read";

// Whether `node` is a folder whose listing failed (it was never opened, or ended early).
bool couldNotBeRead(const scan::NodeStore& store, scan::NodeId node);

// The file list's value text of `node`: the size text of `value`, or kUnreadableText for a folder
// that could not be read.
std::u16string listValueText(const scan::NodeStore& store, scan::NodeId node, std::int64_t value);

// The words of the attribute bits a user cares about, joined by ", " in a fixed order; "normal"
// when none of them is set (a plain folder, with only its folder and archive bits, is "normal"),
// and the unknown text for kInvalidAttributes.
std::u16string attributesText(std::uint32_t bits);

struct InfoRow {
    std::u16string label;
    std::u16string value;
};

// What the file system says about a node's file at the moment of asking, as texts.
struct FileFacts {
    std::u16string modified;
    std::u16string created;
    std::uint32_t attributes = 0;
};

struct Information {
    std::u16string title;
    std::vector<InfoRow> rows;
};

// The panel's heading and lines for `node` of `store` (below its published count), whose full
// path is `path`. `sizeText` is the value the views show for the node under the current measure;
// `facts` is none when its file could not be read, which the lines say.
Information informationFor(const scan::NodeStore& store, scan::NodeId node,
                           const std::u16string& path, const std::u16string& sizeText,
                           const std::optional<FileFacts>& facts);

struct ChainRow {
    scan::NodeId node = 0;
    std::u16string name;
    std::u16string value;
    std::int32_t depth = 0;  // 0 for the root
};

// The rows from the root down to `node`: the root under its full path, then every folder on the
// way, then the node, each with `valueText` of its node. Empty for a node that is negative or not
// published yet.
std::vector<ChainRow> chainOf(const scan::NodeStore& store, std::int32_t node,
                              const std::function<std::u16string(scan::NodeId)>& valueText,
                              char16_t separator);

// The index of the row of `rowHeight` at client y among `count` rows, -1 for none.
std::int32_t chainRowAt(int y, int rowHeight, std::size_t count);

}  // namespace panes
