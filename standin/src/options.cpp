#include "options.h"

#include <cstdlib>
#include <stdexcept>

#include "http_text.h"

namespace quillo::standin {

namespace {

int Number(const std::string& option, const std::string& text, int low, int high) {
    const std::optional<std::int64_t> value = ParseInteger(text);
    if (!value || *value < low || *value > high) {
        throw std::invalid_argument(option + " needs a whole number from " + std::to_string(low) +
                                    " to " + std::to_string(high));
    }
    return static_cast<int>(*value);
}

} // namespace

std::string Usage() {
    return "usage: quillo-standin --data FILE [options]\n"
           "       quillo-standin --generate-scale FILE [--friends N]\n"
           "options:\n"
           "  --port N            plain HTTP port (default 0: any free port)\n"
           "  --bind ADDRESS      listening address (default 127.0.0.1)\n"
           "  --tls / --no-tls    a TLS port for the web host (default on)\n"
           "  --tls-port N        the TLS port (default 0: any free port)\n"
           "  --state DIR         folder of the certificate authority\n"
           "                      (default $XDG_STATE_HOME/quillo-standin)\n"
           "  --hold-ms N         how long a long poll waits (default 50000)\n"
           "  --bot-delay-ms N    from a message to a bot's answer (default 800)\n"
           "  --threads N         request threads per port (default 256)\n"
           "  --public-http-port N, --public-https-port N\n"
           "                      ports written into addresses (default 80 and 443)\n"
           "  --web-host, --base-domain, --login-host, --picture-host, --update-host,\n"
           "  --banner-host, --maker-web-host, --ipecho-host NAME   host names\n"
           "                      (the login host defaults to login.<base domain>)\n";
}

std::string DefaultStateDir() {
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state) {
        return std::string(state) + "/quillo-standin";
    }
    if (const char* home = std::getenv("HOME"); home && *home) {
        return std::string(home) + "/.local/state/quillo-standin";
    }
    return ".quillo-standin";
}

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    line.standin.tls = true;
    line.standin.hosts = HostNames{};
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= arguments.size()) {
                throw std::invalid_argument(option + " needs a value");
            }
            return arguments[++i];
        };
        HostNames& hosts = line.standin.hosts;
        if (option == "--help" || option == "-h") {
            line.help = true;
        } else if (option == "--data") {
            line.data_file = value();
        } else if (option == "--port") {
            line.standin.port = Number(option, value(), 0, 65535);
        } else if (option == "--bind") {
            line.standin.bind_address = value();
        } else if (option == "--tls") {
            line.standin.tls = true;
        } else if (option == "--no-tls") {
            line.standin.tls = false;
        } else if (option == "--tls-port") {
            line.standin.tls_port = Number(option, value(), 0, 65535);
        } else if (option == "--state") {
            line.standin.state_dir = value();
        } else if (option == "--hold-ms") {
            line.standin.settings.hold =
                std::chrono::milliseconds(Number(option, value(), 0, 3600000));
        } else if (option == "--bot-delay-ms") {
            line.standin.settings.bot_delay =
                std::chrono::milliseconds(Number(option, value(), 0, 600000));
        } else if (option == "--threads") {
            line.standin.threads = Number(option, value(), 8, 4096);
        } else if (option == "--public-http-port") {
            line.standin.public_http_port = Number(option, value(), 1, 65535);
        } else if (option == "--public-https-port") {
            line.standin.public_https_port = Number(option, value(), 1, 65535);
        } else if (option == "--web-host") {
            hosts.web = value();
        } else if (option == "--base-domain") {
            hosts.base_domain = value();
        } else if (option == "--login-host") {
            hosts.login = value();
        } else if (option == "--picture-host") {
            hosts.picture = value();
        } else if (option == "--update-host") {
            hosts.update = value();
        } else if (option == "--banner-host") {
            hosts.banner = value();
        } else if (option == "--maker-web-host") {
            hosts.maker_web = value();
        } else if (option == "--ipecho-host") {
            hosts.ipecho = value();
        } else if (option == "--generate-scale") {
            line.generate_file = value();
        } else if (option == "--friends") {
            line.generate_friends = Number(option, value(), 1, 1000000);
        } else {
            throw std::invalid_argument("unknown option " + option);
        }
    }
    if (!line.help && line.generate_file.empty() && line.data_file.empty()) {
        throw std::invalid_argument("--data FILE is needed");
    }
    if (line.standin.tls && line.standin.state_dir.empty()) {
        line.standin.state_dir = DefaultStateDir();
    }
    return line;
}

} // namespace quillo::standin
