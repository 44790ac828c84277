// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConvertCommand.h"

#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include <signal.h>

int main(int argc, char** argv) {
    // A file-size limit (ulimit -f) is a write error to report, not a kill.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, nullptr);
    std::vector<std::string_view> args(argv + 1, argv + argc);
    try {
        return kalvo::cli::convertCommand(args);
    } catch (const std::bad_alloc&) {
        std::fputs("kalvo-convert: out of memory\n", stderr);
    } catch (const std::exception& error) {
        std::fputs(("kalvo-convert: " + std::string(error.what()) + "\n").c_str(), stderr);
    }
    return 1;
}
