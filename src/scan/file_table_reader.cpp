#include "scan/file_table_reader.h"

#include "scan/file_table_decision.h"
#include "scan/mft_reader.h"
#include "scan/scanner.h"
#include "scan/volume_source.h"
#include "scan/volumes.h"

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

namespace {

FileTableFacts gatherFacts(const Scanner& scanner, const std::u16string& root) {
    FileTableFacts facts;
    facts.method = scanner.options().method;
    if (facts.method == 1) {
        return facts;
    }
    const std::u16string volumeRoot = volumeRootOf(root);
    facts.volumeKnown = !volumeRoot.empty() && readVolumeInfo(volumeRoot, facts.volume);
    if (!facts.volumeKnown) {
        return facts;
    }
    facts.ntfs = holdsNtfs(facts.volume);
    facts.elevated = isElevated();
    facts.wholeVolume = isWholeVolume(root);
    return facts;
}

bool refuse(Scanner& scanner, const std::u16string& refusal) {
    if (!refusal.empty()) {
        scanner.setFileTableRefusal(refusal);
    }
    return false;
}

}  // namespace

bool readFileTable(Scanner& scanner, const std::u16string& root, std::int64_t startTicks,
                   ScanResult& result) {
    scanner.clearFileTableRefusal();
    const FileTableFacts facts = gatherFacts(scanner, root);
    const FileTableDecision decision = decideFileTable(facts);
    if (!decision.open) {
        return refuse(scanner, decision.refusal);
    }
    OpenedVolume volume = openMountedVolume(facts.volume);
    if (!volume.source) {
        return refuse(scanner, volume.refusal);
    }

    FileTableJob job;
    job.source = volume.source.get();
    job.geometry = volume.geometry;
    job.startPieces = piecesBelowRoot(facts.volume.volumeRoot, root, pathSeparator());
    job.options = &scanner.options();
    job.store = &scanner.store();
    job.kindTotals = &scanner.mutableKindTotals();
    job.counters = &scanner.mutableCounters();
    job.stopRequested = [&scanner] { return scanner.stopRequested(); };
    const FileTableOutcome outcome = readMasterFileTable(job);
    volume.source.reset();
    if (!outcome.filled) {
        return refuse(scanner, outcome.refusal);
    }
    scanner.setMethod(2);
    result = scanner.finishResult(startTicks);
    return true;
}

}  // namespace scan
