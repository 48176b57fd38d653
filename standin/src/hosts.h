#pragma once
// The host names the stand-in answers to, how a request's Host header maps onto them, and the
// addresses it writes into its pages and answers. Plain values, fixed after start.

#include <cstdint>
#include <string>
#include <string_view>

namespace quillo::standin {

using UserId = std::uint64_t;

struct HostNames {
    std::string web = "www.facebook.test";
    std::string base_domain = "facebook.test"; // channel hosts and cookie domain
    // Where other clients sign in, with the web host's login; empty: "login.<base domain>".
    std::string login;
    std::string picture = "profile.facebook.test";
    std::string update = "update.quillo.test";
    std::string banner = "banner.quillo.test";
    std::string maker_web = "www.quillo.test";
    std::string ipecho = "ipecho.test";
};

enum class HostKind { Web, Login, Channel, Picture, Maker, IpEcho, Unknown };

struct HostMatch {
    HostKind kind = HostKind::Unknown;
    std::string channel; // "channel06" for a channel host
};

// The login host's name: the one given, or "login.<base domain>".
std::string LoginHostName(const HostNames& names);

// The three maker hosts share one set of paths, so names that coincide still work.
HostMatch ClassifyHost(const HostNames& names, std::string_view host);

// Addresses as the service wrote them: the host names, with a port only where the ports that
// clients reach differ from 80 and 443.
class Urls {
public:
    Urls(HostNames names, int public_http_port, int public_https_port, bool tls);

    const HostNames& names() const { return names_; }

    std::string Http(std::string_view host) const;
    std::string Https(std::string_view host) const;
    // "http://" and the web host, no trailing slash.
    std::string Root() const;
    std::string Web(std::string_view path) const;
    // Where the login form posts: https when TLS is on, as the real form did.
    std::string LoginAction() const;
    // size 'q' (50 by 50 square) or 'n' (200 by 150); format jpg, png or gif.
    std::string Picture(UserId id, char size, std::string_view format) const;
    std::string Maker(std::string_view path) const;
    std::string Banner(std::string_view path) const;
    std::string CookieDomain() const { return "." + names_.base_domain; }

private:
    HostNames names_;
    int http_port_;
    int https_port_;
    bool tls_;
};

} // namespace quillo::standin
