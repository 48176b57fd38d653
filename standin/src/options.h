#pragma once
// The command line of quillo-standin. Parsing is a pure function.

#include <optional>
#include <string>
#include <vector>

#include "standin.h"

namespace quillo::standin {

struct CommandLine {
    StandInOptions standin;
    std::string data_file;
    std::string generate_file; // --generate-scale FILE: write a data file and end
    int generate_friends = 5000;
    bool help = false;
};

// Throws std::invalid_argument with a readable message.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);
std::string Usage();

// $XDG_STATE_HOME/quillo-standin, or ~/.local/state/quillo-standin.
std::string DefaultStateDir();

} // namespace quillo::standin
