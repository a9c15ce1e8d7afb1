// The Windows entry point: wmain (built with -municode) receives the arguments as UTF-16.

#include "cli/cli_app.h"

#include <string>
#include <vector>

int wmain(int argc, wchar_t** argv) {
    std::vector<std::u16string> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.emplace_back(reinterpret_cast<const char16_t*>(argv[i]));
    }
    return cli::runCli(arguments);
}
