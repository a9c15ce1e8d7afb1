#pragma once

// rozovizov-cli itself, apart from how the platform hands over its arguments.

#include <string>
#include <vector>

namespace cli {

// Exit statuses.
inline constexpr int kExitCompleted = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitInterrupted = 130;

// Runs the command line given its arguments after the program name, and answers the exit status.
int runCli(const std::vector<std::u16string>& arguments);

}  // namespace cli
