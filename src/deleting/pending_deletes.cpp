#include "deleting/pending_deletes.h"

#include "deleting/deleting_texts.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <unordered_set>
#include <utility>

namespace deleting {

namespace {

namespace fs = std::filesystem;

// The rows below `folder` that are not folders: the files a folder held when it was scanned.
std::int64_t filesBelow(const scan::NodeStore& store, scan::NodeId folder) {
    std::int64_t files = 0;
    std::vector<scan::NodeId> open{folder};
    while (!open.empty()) {
        const scan::NodeId at = open.back();
        open.pop_back();
        const scan::NodeId first = store.firstChild.get(at);
        const scan::NodeId end = first + store.childCount.get(at);
        for (scan::NodeId child = first; child < end && child < store.publishedCount(); ++child) {
            if (store.hasFlag(child, scan::FlagFolder)) {
                if (!store.hasFlag(child, scan::FlagUnfollowed)) {
                    open.push_back(child);
                }
            } else {
                ++files;
            }
        }
    }
    return files;
}

// The files below the folder reached from `root` through `names` on disk now, links not
// followed. Folders that cannot be read count as holding nothing, as they did for the scan.
std::int64_t filesOnDiskBelow(const std::u16string& root,
                              const std::vector<std::u16string>& names) {
    fs::path folder(root);
    for (const std::u16string& name : names) {
        folder /= fs::path(name);
    }
    std::int64_t files = 0;
    std::error_code error;
    fs::recursive_directory_iterator entry(folder, fs::directory_options::skip_permission_denied,
                                           error);
    for (; !error && entry != fs::recursive_directory_iterator(); entry.increment(error)) {
        std::error_code kindError;
        if (!entry->is_directory(kindError) || entry->is_symlink(kindError)) {
            ++files;
        }
    }
    return files;
}

}  // namespace

void PendingDeletes::setScanner(scan::Scanner* scanner) {
    if (scanner != scanner_) {
        foldersToRead_.clear();
    }
    scanner_ = scanner;
}

bool PendingDeletes::refuse(const std::u16string& path, const std::u16string& reason) {
    DeleteReport report;
    report.path = path;
    report.outcome = Outcome::NotMoved;
    report.reason = reason;
    reports_.push_back(std::move(report));
    flushReports();
    return false;
}

bool PendingDeletes::addPending(std::int32_t node, const std::u16string& path,
                                const std::u16string& name, std::int64_t value) {
    if (scanner_ == nullptr || node <= 0 || path.empty() ||
        static_cast<std::uint64_t>(node) >= scanner_->store().publishedCount()) {
        return false;
    }
    const scan::NodeStore& store = scanner_->store();
    const auto row = static_cast<scan::NodeId>(node);
    if (!scanner_->isAttached(row)) {
        return false;
    }
    std::vector<std::size_t> inside;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const auto listed = static_cast<scan::NodeId>(items_[i].node);
        if (scan::isSameOrInside(store, row, listed)) {
            return false;
        }
        if (scan::isSameOrInside(store, listed, row)) {
            inside.push_back(i);
        }
    }
    std::vector<std::u16string> names = scan::namesBelowRoot(store, row);
    if (const std::u16string unsafe = unsafeNameReason(names); !unsafe.empty()) {
        return refuse(path, unsafe);
    }
    const auto bytes = static_cast<std::int64_t>(store.allocated.get(row));
    if (refusal) {
        if (const std::u16string reason = refusal(path, bytes); !reason.empty()) {
            return refuse(path, reason);
        }
    }
    const scan::ItemIdentity identity = scan::identityBelow(scanner_->longRootPath(), names);
    if (!scan::sameItem(scan::scannedIdentity(store, scanner_->fileIds(), row), identity)) {
        DeleteReport report;
        report.path = path;
        report.outcome = Outcome::Changed;
        reports_.push_back(std::move(report));
        readAgainLater(node);
        flushReports();
        return false;
    }
    // The folder takes the place of the items inside it: they come back first, newest first as
    // an undelete would, so that its own removal takes out exactly what it holds.
    for (const std::size_t i : inside) {
        scanner_->restoreNode(items_[i].removal);
    }
    for (auto i = inside.rbegin(); i != inside.rend(); ++i) {
        items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(*i));
    }
    const std::int64_t files = identity.folder ? filesBelow(store, row) : 0;
    scan::RemovalRecord removal = scanner_->removeNode(row);
    if (!removal.valid) {
        // Whatever came back stays back, and off the list, so no record is ever applied twice.
        if (!inside.empty()) {
            notifyChanged();
        }
        return false;
    }
    items_.insert(items_.begin(), PendingItem{node, path, name, value, kCountdownMilliseconds,
                                              removal, bytes, std::move(names), identity, files});
    notifyChanged();
    return true;
}

bool PendingDeletes::tick() {
    if (items_.empty() || paused_ || isBusy()) {
        return false;
    }
    for (PendingItem& item : items_) {
        item.remaining -= kTickMilliseconds;
    }
    // Those that ran out leave the list in its order, before any of them is sent.
    const auto running = std::stable_partition(
        items_.begin(), items_.end(), [](const PendingItem& item) { return item.remaining > 0; });
    const std::vector<PendingItem> due(std::make_move_iterator(running),
                                       std::make_move_iterator(items_.end()));
    items_.erase(running, items_.end());
    if (!due.empty()) {
        for (const PendingItem& item : due) {
            perform(item);
        }
        notifyChanged();
        flushReports();
    }
    return true;
}

void PendingDeletes::deleteAllNow() {
    if (items_.empty() || isBusy()) {
        return;
    }
    const std::vector<PendingItem> all = std::exchange(items_, {});
    for (const PendingItem& item : all) {
        perform(item);
    }
    notifyChanged();
    flushReports();
}

void PendingDeletes::undeleteAll() {
    if (items_.empty() || isBusy()) {
        return;
    }
    if (scanner_ != nullptr) {
        for (const PendingItem& item : items_) {
            scanner_->restoreNode(item.removal);
        }
    }
    items_.clear();
    notifyChanged();
}

void PendingDeletes::undelete(std::size_t position) {
    if (position >= items_.size() || isBusy()) {
        return;
    }
    if (scanner_ != nullptr) {
        scanner_->restoreNode(items_[position].removal);
    }
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(position));
    notifyChanged();
}

void PendingDeletes::perform(const PendingItem& item) {
    const std::u16string root = scanner_ != nullptr ? scanner_->longRootPath() : std::u16string();
    DeleteReport report;
    report.path = item.path;
    if (const std::u16string unsafe = unsafeNameReason(item.names); !unsafe.empty()) {
        report.outcome = Outcome::NotMoved;
        report.reason = unsafe;
    } else if (!scan::sameItem(item.identity, scan::identityBelow(root, item.names))) {
        // Renamed away, replaced, swapped for a link, or gone: whatever stands at the path now
        // was never chosen, so nothing is handed over.
        report.outcome = Outcome::Changed;
    } else {
        const ShellAttempt attempt = recycle ? recycle(item) : ShellAttempt{};
        DiskAfter after;
        after.sameItemThere = scan::sameItem(item.identity, scan::identityBelow(root, item.names));
        after.folder = item.identity.folder;
        after.filesBefore = item.files;
        if (after.sameItemThere && after.folder) {
            after.filesLeft = filesOnDiskBelow(root, item.names);
        }
        report = judgeAttempt(item.path, attempt, after);
    }
    switch (report.outcome) {
        case Outcome::Moved:
        case Outcome::Destroyed:
            // Gone from the disk: it stays out of the totals.
            break;
        case Outcome::NotMoved:
            if (report.stillThere) {
                // Exactly as it was: the record puts back exactly what it held.
                if (scanner_ != nullptr) {
                    scanner_->restoreNode(item.removal);
                }
                break;
            }
            [[fallthrough]];
        case Outcome::PartlyMoved:
        case Outcome::Changed:
            // The disk no longer matches the record; the folder's listing is read again.
            readAgainLater(item.node);
            break;
    }
    if (report.outcome != Outcome::Moved) {
        reports_.push_back(std::move(report));
    }
}

void PendingDeletes::readAgainLater(std::int32_t node) {
    if (scanner_ == nullptr || node <= 0 ||
        static_cast<std::uint64_t>(node) >= scanner_->store().publishedCount()) {
        return;
    }
    const scan::NodeId parent = scanner_->store().parent.get(static_cast<scan::NodeId>(node));
    if (std::find(foldersToRead_.begin(), foldersToRead_.end(), parent) == foldersToRead_.end()) {
        foldersToRead_.push_back(parent);
    }
}

std::int32_t PendingDeletes::takeFolderToRead() {
    if (scanner_ == nullptr) {
        foldersToRead_.clear();
        return -1;
    }
    const scan::NodeStore& store = scanner_->store();
    std::erase_if(foldersToRead_,
                  [&](scan::NodeId folder) { return !scanner_->isAttached(folder); });
    for (const scan::NodeId folder : foldersToRead_) {
        // Reading a folder again rebuilds its rows, which a pending record inside it points into.
        const bool holdsPending =
            std::any_of(items_.begin(), items_.end(), [&](const PendingItem& item) {
                return scan::isSameOrInside(store, static_cast<scan::NodeId>(item.node), folder);
            });
        if (!holdsPending) {
            std::erase_if(foldersToRead_, [&](scan::NodeId other) {
                return scan::isSameOrInside(store, other, folder);
            });
            return static_cast<std::int32_t>(folder);
        }
    }
    return -1;
}

void PendingDeletes::changeTogether(const std::function<void()>& changes) {
    const bool outermost = !holdingNotices_;
    holdingNotices_ = true;
    changes();
    if (outermost) {
        holdingNotices_ = false;
        if (std::exchange(changeHeldBack_, false)) {
            notifyChanged();
        }
        flushReports();
    }
}

void PendingDeletes::notifyChanged() {
    if (holdingNotices_) {
        changeHeldBack_ = true;
    } else if (changed) {
        changed();
    }
}

void PendingDeletes::flushReports() {
    if (holdingNotices_ || reports_.empty()) {
        return;
    }
    const std::vector<DeleteReport> reports = std::exchange(reports_, {});
    if (reported) {
        reported(reports);
    }
}

std::vector<std::int32_t> deletionOrder(const scan::Scanner& scanner,
                                        const std::vector<std::int32_t>& selection) {
    const scan::NodeStore& store = scanner.store();
    std::vector<std::pair<std::uint32_t, std::int32_t>> ordered;
    for (const std::int32_t node : selection) {
        if (node <= 0 || static_cast<std::uint64_t>(node) >= store.publishedCount() ||
            !scanner.isAttached(static_cast<scan::NodeId>(node))) {
            continue;
        }
        ordered.emplace_back(scan::depthOf(store, static_cast<scan::NodeId>(node)), node);
    }
    std::stable_sort(ordered.begin(), ordered.end());
    // Shallower nodes come first, so a folder is already kept when its contents come; a node is
    // covered when it or a folder above it was kept. One walk up per node keeps a selection of
    // many files cheap, as the menus ask this each time they open.
    std::vector<std::int32_t> nodes;
    std::unordered_set<scan::NodeId> kept;
    for (const auto& [depth, node] : ordered) {
        const auto row = static_cast<scan::NodeId>(node);
        if (!scan::anyOnPathToRoot(store, row,
                                   [&](scan::NodeId at) { return kept.contains(at); })) {
            kept.insert(row);
            nodes.push_back(node);
        }
    }
    return nodes;
}

}  // namespace deleting
