#include "hosts.h"

namespace quillo::standin {

namespace {

constexpr std::string_view kLoginPrefix = "login.";

bool IsLoginHost(const HostNames& names, std::string_view host) {
    if (!names.login.empty()) {
        return host == names.login;
    }
    return host.starts_with(kLoginPrefix) && host.substr(kLoginPrefix.size()) == names.base_domain;
}

} // namespace

std::string LoginHostName(const HostNames& names) {
    return names.login.empty() ? std::string(kLoginPrefix) + names.base_domain : names.login;
}

HostMatch ClassifyHost(const HostNames& names, std::string_view host) {
    HostMatch match;
    if (host == names.web) {
        match.kind = HostKind::Web;
    } else if (IsLoginHost(names, host)) {
        match.kind = HostKind::Login;
    } else if (host == names.picture) {
        match.kind = HostKind::Picture;
    } else if (host == names.update || host == names.banner || host == names.maker_web) {
        match.kind = HostKind::Maker;
    } else if (host == names.ipecho) {
        match.kind = HostKind::IpEcho;
    } else {
        const std::string suffix = "." + names.base_domain;
        if (host.size() > suffix.size() + 2 && host.substr(0, 2) == "0." &&
            host.substr(host.size() - suffix.size()) == suffix) {
            const std::string_view middle = host.substr(2, host.size() - 2 - suffix.size());
            if (middle.starts_with("channel") && middle.find('.') == std::string_view::npos) {
                match.kind = HostKind::Channel;
                match.channel = std::string(middle);
            }
        }
    }
    return match;
}

Urls::Urls(HostNames names, int public_http_port, int public_https_port, bool tls)
    : names_(std::move(names))
    , http_port_(public_http_port)
    , https_port_(public_https_port)
    , tls_(tls) {}

std::string Urls::Http(std::string_view host) const {
    std::string url = "http://" + std::string(host);
    if (http_port_ != 80) {
        url += ':';
        url += std::to_string(http_port_);
    }
    return url;
}

std::string Urls::Https(std::string_view host) const {
    std::string url = "https://" + std::string(host);
    if (https_port_ != 443) {
        url += ':';
        url += std::to_string(https_port_);
    }
    return url;
}

std::string Urls::Root() const {
    return Http(names_.web);
}

std::string Urls::Web(std::string_view path) const {
    return Root() + std::string(path);
}

std::string Urls::LoginAction() const {
    return (tls_ ? Https(names_.web) : Root()) + "/login.php?login_attempt=1";
}

std::string Urls::Picture(UserId id, char size, std::string_view format) const {
    return Http(names_.picture) + "/pics/" + size + std::to_string(id) + "." + std::string(format);
}

std::string Urls::Maker(std::string_view path) const {
    return Http(names_.maker_web) + std::string(path);
}

std::string Urls::Banner(std::string_view path) const {
    return Http(names_.banner) + std::string(path);
}

} // namespace quillo::standin
