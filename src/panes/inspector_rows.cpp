#include "panes/inspector_rows.h"

#include "scan/file_kinds.h"
#include "ui/formats.h"

#include <algorithm>
#include <iterator>

namespace panes {

namespace {

struct AttributeWord {
    std::uint32_t bit;
    const char16_t* word;
};

constexpr AttributeWord kAttributeWords[] = {
    {kAttributeReadOnly, u"read only"},
    {kAttributeHidden, u"hidden"},
    {kAttributeSystem, u"system"},
    {kAttributeCompressed, u"compressed"},
    {kAttributeEncrypted, u"encrypted"},
    {kAttributeSparse, u"sparse"},
    {kAttributeReparsePoint, u"reparse point"},
    {kAttributeTemporary, u"temporary"},
};

}  // namespace

bool couldNotBeRead(const scan::NodeStore& store, scan::NodeId node) {
    return store.hasFlag(node, scan::FlagFolder) && store.hasFlag(node, scan::FlagUnopened);
}

std::u16string listValueText(const scan::NodeStore& store, scan::NodeId node, std::int64_t value) {
    return couldNotBeRead(store, node) ? kUnreadableText : ui::sizeText(value);
}

std::u16string attributesText(std::uint32_t bits) {
    if (bits == kInvalidAttributes) {
        return kUnknownText;
    }
    std::u16string text;
    for (const AttributeWord& attribute : kAttributeWords) {
        if ((bits & attribute.bit) != 0) {
            if (!text.empty()) {
                text += u", ";
            }
            text += attribute.word;
        }
    }
    return text.empty() ? u"normal" : text;
}

Information informationFor(const scan::NodeStore& store, scan::NodeId node,
                           const std::u16string& path, const std::u16string& sizeText,
                           const std::optional<FileFacts>& facts) {
    Information information;
    information.title = node == 0 ? path : store.nameOf(node);
    auto& rows = information.rows;
    rows.push_back({u"Kind", scan::kindName(store.kind.get(node))});
    rows.push_back({u"Size", sizeText});
    rows.push_back(
        {u"On disk", ui::sizeText(static_cast<std::int64_t>(store.allocated.get(node)))});
    rows.push_back({u"Length", ui::sizeText(static_cast<std::int64_t>(store.size.get(node)))});
    if (couldNotBeRead(store, node)) {
        rows.push_back({u"Contains", kUnreadableText});
    } else if (store.hasFlag(node, scan::FlagFolder)) {
        rows.push_back({u"Contains", ui::countOf(store.fileCount.get(node), u"file", u"files")});
    }
    if (facts) {
        rows.push_back({u"Modified", facts->modified});
        rows.push_back({u"Created", facts->created});
        rows.push_back({u"Attributes", attributesText(facts->attributes)});
    } else {
        rows.push_back({u"Modified", kUnknownText});
        rows.push_back({u"Created", kUnknownText});
        rows.push_back({u"Attributes", u"unreadable"});
    }
    rows.push_back({u"Path", path});
    return information;
}

std::vector<ChainRow> chainOf(const scan::NodeStore& store, std::int32_t node,
                              const std::function<std::u16string(scan::NodeId)>& valueText,
                              char16_t separator) {
    const std::uint64_t published = store.publishedCount();
    if (node < 0 || static_cast<std::uint64_t>(node) >= published) {
        return {};
    }
    std::vector<scan::NodeId> chain{static_cast<scan::NodeId>(node)};
    // No chain is longer than the rows there are: a damaged link stops there instead of
    // running round for ever.
    while (chain.back() != 0 && chain.size() <= published) {
        const scan::NodeId parent = store.parent.get(chain.back());
        if (parent >= published) {
            break;
        }
        chain.push_back(parent);
    }
    std::vector<ChainRow> rows;
    rows.reserve(chain.size());
    std::int32_t depth = 0;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it, ++depth) {
        const scan::NodeId row = *it;
        rows.push_back({row, row == 0 ? store.pathOf(row, separator) : store.nameOf(row),
                        valueText ? valueText(row) : std::u16string(), depth});
    }
    return rows;
}

std::int32_t chainRowAt(int y, int rowHeight, std::size_t count) {
    if (y < 0 || rowHeight <= 0) {
        return -1;
    }
    const int index = y / rowHeight;
    return static_cast<std::size_t>(index) < count ? index : -1;
}

}  // namespace panes
