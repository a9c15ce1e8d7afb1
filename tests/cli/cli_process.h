#pragma once

// Runs the built rozovizov-cli as a user would: a child process with its own standard streams.

#include <filesystem>
#include <string>
#include <vector>

namespace cli::testing {

struct CliRun {
    int exitCode = -1;  // -1 when it could not be started or did not exit normally
    std::string out;    // standard output, as bytes
    std::string err;    // standard error, as bytes (not a terminal)
};

// Runs rozovizov-cli with UTF-8 arguments, its standard output and error captured through files
// in `scratch`, and waits for it.
CliRun runCli(const std::vector<std::string>& arguments, const std::filesystem::path& scratch);

// Starts rozovizov-cli with UTF-8 arguments and the given descriptors as its standard output and
// error, without waiting. Answers the child's process id, or -1. POSIX only.
int startCli(const std::vector<std::string>& arguments, int out, int err);

// Sets an environment variable of this process, which the children inherit.
void setEnvironment(const char* name, const std::filesystem::path& value);

// A path as UTF-8 text, the form the arguments take.
std::string utf8Of(const std::filesystem::path& path);

}  // namespace cli::testing
