// quillo-standin: every remote party of the messenger as one local HTTP server. Prints one
// line with its addresses and serves until SIGINT or SIGTERM.
#include <csignal>
#include <fstream>
#include <iostream>
#include <pthread.h>

#include "options.h"
#include "standin.h"

using namespace quillo::standin;

namespace {

int Generate(const CommandLine& line) {
    std::ofstream out(line.generate_file, std::ios::binary);
    out << GenerateScaleWorld(line.generate_friends).dump(1) << "\n";
    if (!out) {
        std::cerr << "quillo-standin: cannot write " << line.generate_file << "\n";
        return 1;
    }
    std::cout << "wrote " << line.generate_file << ": scale@quillo.test (password scale) with "
              << line.generate_friends << " friends\n";
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    CommandLine line;
    try {
        line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::invalid_argument& error) {
        std::cerr << "quillo-standin: " << error.what() << "\n" << Usage();
        return 2;
    }
    if (line.help) {
        std::cout << Usage();
        return 0;
    }
    if (!line.generate_file.empty()) {
        return Generate(line);
    }

    // The signals are waited for on this thread; every other thread starts with them blocked.
    // A shell starts background jobs with SIGINT ignored, and an ignored signal never
    // reaches sigwait: take the default back first.
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    try {
        StandIn standin(line.standin, LoadWorld(line.data_file));
        standin.Start();
        std::cout << "quillo-standin http://" << line.standin.bind_address << ":" << standin.port();
        if (line.standin.tls) {
            std::cout << " tls-port " << standin.tls_port() << " ca " << standin.ca_file();
        }
        std::cout << std::endl;
        int received = 0;
        sigwait(&signals, &received);
        std::cerr << "quillo-standin: stopping\n";
        standin.Stop();
    } catch (const std::exception& error) {
        std::cerr << "quillo-standin: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
