#include "cli/output_file.h"

#include "cli/console.h"

#include <cerrno>
#include <random>

namespace cli {

namespace {

// A name beside `path` that no one else uses: random, and created exclusively by the caller.
std::u16string temporaryNameFor(const std::u16string& path, std::mt19937& random) {
    constexpr char16_t kDigits[] = u"0123456789abcdef";
    std::u16string name = path + u".tmp-";
    std::uint32_t value = random();
    for (int i = 0; i < 8; ++i, value >>= 4) {
        name.push_back(kDigits[value & 0xF]);
    }
    return name;
}

}  // namespace

std::u16string writeFailureReason(int error) {
    return error != 0 ? reasonOfError(error) : u"the disk refused the data";
}

OutputFile::~OutputFile() {
    discard();
}

bool OutputFile::open(const std::u16string& path, std::u16string& reason) {
    path_ = path;
    if (!isReplaceableFile(path)) {
        stream_ = openForWriting(path, reason);
        return stream_ != nullptr;
    }
    std::mt19937 random(std::random_device{}());
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::u16string candidate = temporaryNameFor(path, random);
        bool taken = false;
        stream_ = createNewFile(candidate, taken, reason);
        if (stream_ != nullptr) {
            temporary_ = candidate;
            return true;
        }
        if (!taken) {
            return false;
        }
    }
    return false;
}

std::filesystem::path OutputFile::handOver() {
    if (stream_ != nullptr) {
        std::fclose(stream_);
        stream_ = nullptr;
    }
    return fileSystemPath(temporary_.empty() ? path_ : temporary_);
}

bool OutputFile::finish(std::u16string& reason) {
    bool written = true;
    int error = 0;
    if (stream_ != nullptr) {
        errno = 0;
        written = std::fflush(stream_) == 0 && (temporary_.empty() || syncToDisk(stream_));
        error = errno;
        const bool closed = std::fclose(stream_) == 0;
        if (written && !closed) {
            written = false;
            error = errno;
        }
        stream_ = nullptr;
    } else if (!temporary_.empty()) {
        errno = 0;
        written = syncFileToDisk(temporary_);
        error = errno;
    }
    if (!written) {
        reason = writeFailureReason(error);
        discard();
        return false;
    }
    if (!temporary_.empty() && !replaceFile(temporary_, path_, reason)) {
        discard();
        return false;
    }
    finished_ = true;
    return true;
}

void OutputFile::discard() {
    if (stream_ != nullptr) {
        std::fclose(stream_);
        stream_ = nullptr;
    }
    if (!finished_ && !temporary_.empty()) {
        removeFile(temporary_);
        temporary_.clear();
    }
}

}  // namespace cli
