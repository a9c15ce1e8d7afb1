#include "synthetic_store.h"

#include "scan/file_kinds.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <random>
#include <string_view>
#include <vector>

namespace bench {

namespace {

// A rough census of a Windows system drive with a user's documents and a developer's tools: how
// often each extension turns up and the median size of its files. Extensions the kind table does
// not know (mui, dat, log, …) and names without one are there on purpose.
struct Extension {
    std::u16string_view name;
    double weight;
    double medianBytes;
};

constexpr Extension kExtensions[] = {
    {u"f.dll", 9, 250e3},     {u"f.exe", 2, 400e3},   {u"f.sys", 0.6, 60e3},
    {u"f.mui", 4, 25e3},      {u"f.json", 5, 3e3},    {u"f.xml", 5, 6e3},
    {u"f.txt", 3, 4e3},       {u"f.js", 8, 9e3},      {u"f.tsx", 1, 5e3},
    {u"f.png", 9, 15e3},      {u"f.jpg", 5, 1.5e6},   {u"f.ico", 1, 20e3},
    {u"f.svg", 1, 4e3},       {u"f.h", 4, 8e3},       {u"f.cpp", 3, 20e3},
    {u"f.cs", 2, 10e3},       {u"f.py", 4, 7e3},      {u"f.pyc", 3, 9e3},
    {u"f.html", 2, 15e3},     {u"f.css", 1.5, 8e3},   {u"f.mp3", 1, 5e6},
    {u"f.mp4", 0.3, 150e6},   {u"f.mkv", 0.1, 1.2e9}, {u"f.zip", 0.5, 20e6},
    {u"f.cab", 0.3, 8e6},     {u"f.msi", 0.1, 30e6},  {u"f.iso", 0.02, 3e9},
    {u"f.vhdx", 0.005, 2e10}, {u"f.pdf", 1, 1e6},     {u"f.docx", 0.5, 200e3},
    {u"f.xlsx", 0.3, 100e3},  {u"f.pdb", 0.5, 5e6},   {u"f.obj", 1, 300e3},
    {u"f.lib", 0.3, 2e6},     {u"f.db", 0.2, 5e6},    {u"f.dat", 2, 100e3},
    {u"f.log", 2, 50e3},      {u"f.tmp", 1, 30e3},    {u"LICENSE", 1, 10e3},
};

// Files per folder: log-normal, median e^2.2 ≈ 9, mean about 27, a tail into the thousands.
constexpr double kFilesMu = 2.2;
constexpr double kFilesSigma = 1.5;
constexpr double kMeanFilesPerFolder = 27;
constexpr std::uint64_t kMostFilesPerFolder = 200'000;
// File sizes: log-normal around each extension's median, wide enough to span six orders.
constexpr double kSizeSigma = 1.7;
// Share of empty files, and the size up to which NTFS keeps a file inside its record.
constexpr double kEmptyShare = 0.03;
constexpr std::uint64_t kResidentBytes = 640;
constexpr std::uint64_t kCluster = 4096;

struct Pending {
    scan::NodeId row;
    int depth;
};

class Generator {
  public:
    explicit Generator(SyntheticStore& out) : out_(out), random_(20240611) {
        scan::ensureKindTable();
        std::vector<double> weights;
        for (const Extension& extension : kExtensions) {
            weights.push_back(extension.weight);
            kinds_.push_back(scan::classify(extension.name));
            logMedians_.push_back(std::log(extension.medianBytes));
        }
        pickExtension_ = std::discrete_distribution<std::size_t>(weights.begin(), weights.end());
    }

    void run(std::uint64_t files) {
        scan::NodeStore& store = out_.store;
        store.appendRows(1);
        markFolder(0, 0);
        // A few more folders than the files need on average, so the walk rarely runs dry.
        const auto targetFolders = std::max<std::uint64_t>(
            16,
            static_cast<std::uint64_t>(1.15 * static_cast<double>(files) / kMeanFilesPerFolder));
        std::uint64_t folders = 1;
        std::uint64_t filesLeft = files;
        std::vector<Pending> queue{{0, 0}};
        for (std::size_t head = 0; head < queue.size(); ++head) {
            const Pending folder = queue[head];
            std::uint64_t subfolders = 0;
            if (folders < targetFolders) {
                subfolders = std::min(subfolderCount(folder.depth), targetFolders - folders);
            }
            // The last folder waiting keeps the tree growing until every file has a place.
            if (head + 1 == queue.size() && subfolders == 0 && filesLeft > 0) {
                subfolders = 2;
            }
            const std::uint64_t ownFiles = std::min(filesLeft, fileCount());
            const std::uint64_t count = subfolders + ownFiles;
            if (count == 0) {
                continue;
            }
            const auto first = static_cast<scan::NodeId>(store.appendRows(count));
            for (std::uint64_t i = 0; i < subfolders; ++i) {
                const auto row = static_cast<scan::NodeId>(first + i);
                markFolder(row, folder.row);
                queue.push_back({row, folder.depth + 1});
                out_.shape.deepest = std::max(out_.shape.deepest, folder.depth + 1);
            }
            for (std::uint64_t i = subfolders; i < count; ++i) {
                addFile(static_cast<scan::NodeId>(first + i), folder.row);
            }
            store.firstChild.set(folder.row, first);
            store.childCount.set(folder.row, static_cast<std::uint32_t>(count));
            folders += subfolders;
            filesLeft -= ownFiles;
            out_.shape.widest = std::max(out_.shape.widest, static_cast<std::uint32_t>(count));
        }
        sumIntoFolders();
        out_.shape.files = files - filesLeft;
        out_.shape.folders = folders;
    }

    // Every file straight in the root, as in a mail or cache folder scanned by itself.
    void runFlat(std::uint64_t files) {
        scan::NodeStore& store = out_.store;
        store.appendRows(1);
        markFolder(0, 0);
        const auto first = static_cast<scan::NodeId>(store.appendRows(files));
        for (std::uint64_t i = 0; i < files; ++i) {
            addFile(static_cast<scan::NodeId>(first + i), 0);
        }
        store.firstChild.set(0, first);
        store.childCount.set(0, static_cast<std::uint32_t>(files));
        sumIntoFolders();
        out_.shape = {files, 1, 0, static_cast<std::uint32_t>(files)};
    }

  private:
    // Children always follow their folder, so one backward sweep fills every total.
    void sumIntoFolders() {
        scan::NodeStore& store = out_.store;
        for (std::uint64_t row = store.rowCount(); row-- > 1;) {
            const scan::NodeId parent = store.parent.get(row);
            store.size.add(parent, store.size.get(row));
            store.allocated.add(parent, store.allocated.get(row));
        }
        store.publish();
    }

    // Wide near the top, sparser with depth; a Pareto tail gives the odd folder hundreds.
    std::uint64_t subfolderCount(int depth) {
        if (depth == 0) {
            return 12 + random_() % 13;
        }
        const double leafShare = std::min(0.7, 0.2 + 0.05 * depth);
        if (unit_(random_) < leafShare) {
            return 0;
        }
        const double pareto = 2 * std::pow(1 - unit_(random_), -1 / 1.4);
        return 1 + static_cast<std::uint64_t>(std::min(1000.0, pareto - 2));
    }

    std::uint64_t fileCount() {
        const double count = std::exp(kFilesMu + kFilesSigma * normal_(random_));
        return std::min(kMostFilesPerFolder, static_cast<std::uint64_t>(count));
    }

    void markFolder(scan::NodeId row, scan::NodeId parent) {
        scan::NodeStore& store = out_.store;
        store.parent.set(row, parent);
        store.kind.set(row, scan::KindFolder);
        store.flags.set(row, scan::FlagFolder);
    }

    void addFile(scan::NodeId row, scan::NodeId parent) {
        scan::NodeStore& store = out_.store;
        const std::size_t extension = pickExtension_(random_);
        std::uint64_t size = 0;
        if (unit_(random_) >= kEmptyShare) {
            const double bytes = std::exp(logMedians_[extension] + kSizeSigma * normal_(random_));
            size = static_cast<std::uint64_t>(std::min(bytes, 1e13));
        }
        const std::uint64_t allocated =
            size <= kResidentBytes ? 0 : (size + kCluster - 1) / kCluster * kCluster;
        store.parent.set(row, parent);
        store.kind.set(row, kinds_[extension]);
        store.size.set(row, size);
        store.allocated.set(row, allocated);
    }

    SyntheticStore& out_;
    std::mt19937_64 random_;
    std::uniform_real_distribution<double> unit_{0.0, 1.0};
    std::normal_distribution<double> normal_{0.0, 1.0};
    std::discrete_distribution<std::size_t> pickExtension_;
    std::vector<scan::FileKind> kinds_;
    std::vector<double> logMedians_;
};

}  // namespace

namespace {

// Each shape and size of store is generated once and kept for the rest of the run.
using StoreCache = std::map<std::uint64_t, std::unique_ptr<SyntheticStore>>;

const SyntheticStore& madeOnce(StoreCache& made, std::uint64_t files,
                               void (Generator::*generate)(std::uint64_t)) {
    std::unique_ptr<SyntheticStore>& slot = made[files];
    if (!slot) {
        slot = std::make_unique<SyntheticStore>();
        (Generator(*slot).*generate)(files);
    }
    return *slot;
}

}  // namespace

const SyntheticStore& syntheticStore(std::uint64_t files) {
    static StoreCache made;
    return madeOnce(made, files, &Generator::run);
}

const SyntheticStore& flatStore(std::uint64_t files) {
    static StoreCache made;
    return madeOnce(made, files, &Generator::runFlat);
}

}  // namespace bench
