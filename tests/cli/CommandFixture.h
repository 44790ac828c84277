// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Runs the real kalvo-convert in a folder of its own, through the shell, with
// its standard streams in files.

#include "../core/TempFolderTest.h"
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include <sys/wait.h>

class ConvertCommand : public TempFolderTest {
protected:
    std::string read(const std::string& name) {
        std::ostringstream bytes;
        bytes << std::ifstream(dir / name, std::ios::binary).rdbuf();
        return bytes.str();
    }
    void write(const std::string& name, const std::string& bytes) {
        std::ofstream(dir / name, std::ios::binary) << bytes;
    }
    // Runs kalvo-convert in `dir` through the shell, `input` on its standard
    // input, `args` (redirections too) last; answers "exit status|stdout|stderr".
    std::string run(const std::string& args, const std::string& input = "",
                    const std::string& shellPrefix = "") {
        write(".in", input);
        const std::string command = shellPrefix + "cd '" + dir.string() + "' && exec '" +
                                    KALVO_CONVERT_BINARY + "' <.in >.out 2>.err " + args;
        const int status = std::system(command.c_str());
        const std::string result = std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) +
                                   "|" + read(".out") + "|" + read(".err");
        for (const char* stream : {".in", ".out", ".err"})
            std::filesystem::remove(dir / stream);
        return result;
    }
    // Runs a bash script in `dir` with $K naming kalvo-convert; its exit status.
    int shell(const std::string& script) {
        const std::string command = "cd '" + dir.string() + "' && K='" + KALVO_CONVERT_BINARY +
                                    "' exec bash -c '" + script + "'";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    // Everything in the folder, so that a temporary left behind shows.
    long entries() const { return std::distance(std::filesystem::directory_iterator(dir), {}); }
};
