#include "scan/file_table_decision.h"

namespace scan {

FileTableDecision decideFileTable(const FileTableFacts& facts) {
    FileTableDecision decision;
    const bool anyFolder = facts.method == 2;
    if (facts.method == 1) {
        return decision;
    }
    if (!facts.volumeKnown) {
        if (anyFolder) {
            decision.refusal = u"the volume could not be identified";
        }
        return decision;
    }
    if (!facts.ntfs) {
        if (anyFolder) {
            decision.refusal = u"the volume is " + facts.volume.fileSystem + u", not NTFS";
        }
        return decision;
    }
    if (!facts.elevated) {
        decision.refusal = u"reading the master file table needs administrator rights";
        return decision;
    }
    decision.open = anyFolder || facts.wholeVolume;
    return decision;
}

std::vector<std::u16string> piecesBelowRoot(const std::u16string& volumeRoot,
                                            const std::u16string& path, char16_t separator) {
    std::vector<std::u16string> pieces;
    const std::size_t from = volumeRoot.empty() ? 0 : volumeRoot.size() - 1;
    std::u16string piece;
    for (std::size_t i = from; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == separator) {
            if (!piece.empty()) {
                pieces.push_back(std::move(piece));
            }
            piece.clear();
        } else {
            piece += path[i];
        }
    }
    return pieces;
}

}  // namespace scan
