// The POSIX entry point: arguments are file-name bytes, kept exact through the lossless
// conversion so that any folder name can be scanned.

#include "cli/cli_app.h"
#include "scan/text.h"

int main(int argc, char** argv) {
    std::vector<std::u16string> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.push_back(scan::fileNameFromBytes(argv[i]));
    }
    return cli::runCli(arguments);
}
