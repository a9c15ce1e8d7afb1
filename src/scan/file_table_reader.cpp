#include "scan/file_table_reader.h"

#include "scan/file_table_decision.h"
#include "scan/mft_reader.h"
#include "scan/scanner.h"
#include "scan/volume_source.h"
#include "scan/volumes.h"

namespace scan {

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
    facts.ntfs = facts.volume.isNtfs;
    facts.elevated = isElevated();
    facts.wholeVolume = isRootOf(facts.volume, root);
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
