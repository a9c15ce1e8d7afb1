#include "scan/file_kinds.h"

#include <array>
#include <mutex>
#include <string_view>
#include <vector>

namespace scan {

namespace {

struct NamedKind {
    const char16_t* name;
    std::string_view extensions;
};

// Table order gives the kind numbers 4 onwards; where two rows list one extension the first wins.
constexpr std::array<NamedKind, 71> kNamedKinds{{
    {u"Document", "doc docx rtf odt txt md tex epub"},
    {u"PDF document", "pdf"},
    {u"Spreadsheet", "xls xlsx xlsm csv tsv ods"},
    {u"Presentation", "ppt pptx odp"},
    {u"JPEG image", "jpg jpeg jpe"},
    {u"PNG image", "png"},
    {u"HEIF image", "heic heif avif"},
    {u"TIFF image", "tif tiff"},
    {u"GIF image", "gif"},
    {u"WebP image", "webp"},
    {u"Bitmap image", "bmp dib ico cur"},
    {u"RAW image", "raw cr2 cr3 nef arw dng orf rw2"},
    {u"SVG image", "svg"},
    {u"Photoshop image", "psd psb ai"},
    {u"MPEG-4 movie", "mp4 m4v"},
    {u"Windows video", "wmv asf avi"},
    {u"QuickTime movie", "mov qt"},
    {u"Matroska video", "mkv webm"},
    {u"MPEG-2 stream", "ts mpg mpeg m2ts vob"},
    {u"MP3 audio", "mp3"},
    {u"AAC audio", "m4a aac"},
    {u"Windows audio", "wma"},
    {u"Waveform audio", "wav aiff aif flac ogg opus"},
    {u"Disk image", "iso vhd vhdx vmdk qcow2 img wim esd"},
    {u"Zip archive", "zip zipx"},
    {u"7-Zip archive", "7z rar"},
    {u"GZip archive", "gz tgz"},
    {u"Bzip2 archive", "bz2 tbz tbz2"},
    {u"xz archive", "xz txz zst lz4 lzma"},
    {u"Tar archive", "tar"},
    {u"Cabinet archive", "cab msu"},
    {u"Java archive", "jar war class"},
    {u"Executable", "exe com scr"},
    {u"Installer", "msi msix appx appxbundle msixbundle msp"},
    {u"Dynamic library", "dll ocx so dylib"},
    {u"Driver", "sys inf cat"},
    {u"Object code", "o obj lo bc res"},
    {u"Static archive", "lib a"},
    {u"Debug symbols", "pdb ilk map dbg"},
    {u"JavaScript", "js mjs cjs jsx"},
    {u"TypeScript", "tsx mts cts"},
    {u"JSON", "json jsonl ndjson"},
    {u"XML text", "xml xsd xsl xaml resx csproj vcxproj sln"},
    {u"YAML text", "yml yaml toml"},
    {u"HTML text", "html htm xhtml"},
    {u"CSS text", "css scss sass less"},
    {u"C source code", "c"},
    {u"C header code", "h"},
    {u"C++ source code", "cpp cc cxx"},
    {u"C++ header code", "hpp hh hxx"},
    {u"C# source code", "cs"},
    {u"Rust source", "rs"},
    {u"Go source", "go"},
    {u"Swift source", "swift"},
    {u"Python script", "py pyi pyw"},
    {u"Python bytecode", "pyc pyo"},
    {u"Ruby script", "rb gemspec"},
    {u"Shell script", "sh bash zsh"},
    {u"Windows script", "bat cmd ps1 psm1 psd1 vbs wsf"},
    {u"Java source", "java kt kts scala groovy"},
    {u"PHP script", "php"},
    {u"SQLite database", "sqlite sqlite3 db db3 realm mdf ldf"},
    {u"Database log", "wal shm journal"},
    {u"Registry hive", "hiv reg dat_"},
    {u"Log file", "log etl evtx dmp trace"},
    {u"Index file", "idx index cache pack"},
    {u"Font", "ttf otf ttc woff woff2 fon"},
    {u"Shortcut", "lnk url"},
    {u"Configuration", "ini cfg conf config settings properties"},
    {u"Data file", "dat bin data blob asset pak bundle"},
    {u"Backup", "bak backup old orig tmp temp partial crdownload"},
}};

constexpr std::size_t kMaxExtension = 8;
constexpr std::size_t kDotWindow = 12;

// Open addressing over a power-of-two table well above the ~190 extensions, so a lookup is one
// multiply and, almost always, one probe. Key 0 marks an empty slot: no extension packs to 0.
class ExtensionMap {
  public:
    static constexpr std::size_t kSlots = 1024;

    bool insertIfAbsent(std::uint64_t key, FileKind kind) {
        for (std::size_t at = slotOf(key);; at = (at + 1) & (kSlots - 1)) {
            if (keys_[at] == key) {
                return false;
            }
            if (keys_[at] == 0) {
                keys_[at] = key;
                kinds_[at] = kind;
                return true;
            }
        }
    }

    // Answers `missing` when the key is not in the map.
    FileKind find(std::uint64_t key, FileKind missing) const {
        for (std::size_t at = slotOf(key);; at = (at + 1) & (kSlots - 1)) {
            if (keys_[at] == key) {
                return kinds_[at];
            }
            if (keys_[at] == 0) {
                return missing;
            }
        }
    }

  private:
    static std::size_t slotOf(std::uint64_t key) {
        return static_cast<std::size_t>((key * 0x9e3779b97f4a7c15ull) >> 54);
    }

    std::array<std::uint64_t, kSlots> keys_{};
    std::array<FileKind, kSlots> kinds_{};
};

struct KindTable {
    std::vector<std::u16string> names;
    ExtensionMap extensions;
    FileKind other = 0;
};

KindTable& table() {
    static KindTable instance;
    return instance;
}

std::once_flag tableBuilt;

void addExtensions(KindTable& kinds, std::string_view list, FileKind kind) {
    std::size_t at = 0;
    while (at < list.size()) {
        const std::size_t end = std::min(list.find(' ', at), list.size());
        std::string_view token = list.substr(at, end - at);
        at = end + 1;
        if (token.size() >= 2 && token.back() == '_') {
            token.remove_suffix(1);
        }
        if (token.empty() || token.size() > kMaxExtension) {
            continue;
        }
        std::array<char16_t, kMaxExtension> units{};
        for (std::size_t i = 0; i < token.size(); ++i) {
            units[i] = static_cast<unsigned char>(token[i]);
        }
        const std::uint64_t key = extensionKey(units.data(), token.size());
        if (key != 0) {
            kinds.extensions.insertIfAbsent(key, kind);
        }
    }
}

void buildTable() {
    KindTable& kinds = table();
    kinds.names = {u"Unknown", u"Folder", u"Symbolic link", u"No extension"};
    for (const NamedKind& named : kNamedKinds) {
        const auto kind = static_cast<FileKind>(kinds.names.size());
        kinds.names.emplace_back(named.name);
        addExtensions(kinds, named.extensions, kind);
    }
    kinds.other = static_cast<FileKind>(kinds.names.size());
    kinds.names.emplace_back(u"Other");
}

}  // namespace

void ensureKindTable() {
    std::call_once(tableBuilt, buildTable);
}

std::uint64_t extensionKey(const char16_t* extension, std::size_t length) {
    if (length == 0 || length > kMaxExtension) {
        return 0;
    }
    std::uint64_t key = 0;
    for (std::size_t i = 0; i < length; ++i) {
        char16_t unit = extension[i];
        if (unit > 0x7F) {
            return 0;
        }
        if (unit >= u'A' && unit <= u'Z') {
            unit = static_cast<char16_t>(unit - u'A' + u'a');
        }
        key = (key << 8) | unit;
    }
    return key;
}

FileKind classify(const char16_t* name, std::size_t length) {
    const std::size_t stop = length > kDotWindow ? length - kDotWindow : 0;
    std::size_t dot = length;
    for (std::size_t i = length; i > stop; --i) {
        if (name[i - 1] == u'.') {
            dot = i - 1;
            break;
        }
    }
    if (dot == length || dot == 0 || dot == length - 1) {
        return KindNoExtension;
    }
    const KindTable& kinds = table();
    const std::uint64_t key = extensionKey(name + dot + 1, length - dot - 1);
    return key == 0 ? kinds.other : kinds.extensions.find(key, kinds.other);
}

const std::u16string& kindName(FileKind kind) {
    ensureKindTable();
    const KindTable& kinds = table();
    return kind < kinds.names.size() ? kinds.names[kind] : kinds.names[KindUnknown];
}

std::size_t kindCount() {
    ensureKindTable();
    return table().names.size();
}

FileKind otherKind() {
    ensureKindTable();
    return table().other;
}

}  // namespace scan
