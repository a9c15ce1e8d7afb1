#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace history::test_support {

// The program `name` in the folder of the running test executable (".exe" added on Windows).
std::filesystem::path programBeside(std::string_view name);

// Starts `program` once per argument list, each in `workingFolder` with its standard input on a
// pipe from this process, and waits for all of them. The pipes close together once every program
// has started, so programs that first read their input to its end go on at the same moment.
// Answers their exit codes in the order of `argumentLists`; -1 for one that could not be started
// or did not exit normally. Arguments are plain ASCII words without spaces or quotes.
std::vector<int> runTogether(const std::filesystem::path& program,
                             const std::vector<std::vector<std::string>>& argumentLists,
                             const std::filesystem::path& workingFolder);

}  // namespace history::test_support
