#pragma once

// A file named on the command line, written whole or not at all. The data goes to a temporary
// file beside it, which takes its place only once all of it is on the disk; a write that fails
// part-way (a full disk) removes the temporary file and leaves any earlier file as it was. A
// device or a pipe named there (/dev/stdout, NUL) is written directly.

#include <cstdio>
#include <filesystem>
#include <string>

namespace cli {

// Why a write failed, from the C library's error number after it; a plain phrase when the
// failing call set none.
std::u16string writeFailureReason(int error);

class OutputFile {
  public:
    OutputFile() = default;
    // Removes the temporary file unless finish succeeded.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Opens for binary writing. False, with `reason` a lower-case phrase, when it cannot.
    bool open(const std::u16string& path, std::u16string& reason);
    // The open stream; null after handOver.
    std::FILE* stream() const { return stream_; }
    // Closes the stream for a writer that opens the file by its name, and answers that name.
    std::filesystem::path handOver();
    // Flushes the data to the disk and puts the file in its place. False, with `reason`, when
    // any of it failed, and then the temporary file is gone.
    bool finish(std::u16string& reason);

  private:
    void discard();

    std::u16string path_;
    std::u16string temporary_;  // empty when written directly
    std::FILE* stream_ = nullptr;
    bool finished_ = false;
};

}  // namespace cli
