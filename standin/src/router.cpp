// Every request of every host passes here: the control interface, then the faults, the
// request log, and the handler of the host that the Host header names.
#include <sys/socket.h>

#include <filesystem>
#include <netinet/in.h>
#include <thread>

#include "endless_answers.h"
#include "pages.h"
#include "standin.h"

namespace quillo::standin {

namespace {

int PortOf(const sockaddr_storage& address) {
    if (address.ss_family == AF_INET) {
        return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
    }
    if (address.ss_family == AF_INET6) {
        return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
    }
    return -1;
}

// Closes the request's connection under the server's feet, so that the client gets no
// answer at all. The request does not carry its socket; it is found by its two ports.
bool DropConnection(const httplib::Request& request) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
        int fd = -1;
        try {
            fd = std::stoi(entry.path().filename().string());
        } catch (const std::exception&) {
            continue;
        }
        sockaddr_storage peer{};
        sockaddr_storage local{};
        socklen_t peer_length = sizeof peer;
        socklen_t local_length = sizeof local;
        if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peer_length) != 0 ||
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &local_length) != 0) {
            continue;
        }
        if (PortOf(peer) == request.remote_port && PortOf(local) == request.local_port) {
            ::shutdown(fd, SHUT_RDWR);
            return true;
        }
    }
    return false;
}

std::string Garbage() {
    std::string bytes;
    const auto length = RandomBetween(64, 512);
    for (std::int64_t i = 0; i < length; ++i) {
        bytes += static_cast<char>(RandomBetween(0, 255));
    }
    return bytes;
}

void ApplyFault(Exchange& exchange, const FaultRule& rule) {
    httplib::Response& response = exchange.response;
    switch (rule.action) {
    case FaultRule::Action::Drop:
        if (!DropConnection(exchange.request)) {
            // Without the socket, promise a body and send none: the client still fails.
            response.set_content_provider(
                1024, "text/html",
                [](std::size_t, std::size_t, httplib::DataSink&) { return false; });
        }
        break;
    case FaultRule::Action::Delay:
        break;
    case FaultRule::Action::Status:
    case FaultRule::Action::Body:
        exchange.Text(rule.body, rule.content_type, rule.status);
        break;
    case FaultRule::Action::Empty:
        exchange.Text("", rule.content_type, rule.status);
        break;
    case FaultRule::Action::Garbage:
        exchange.Text(Garbage(), rule.content_type, rule.status);
        break;
    case FaultRule::Action::Redirect: {
        std::string location = rule.location;
        if (rule.to_443) {
            location = exchange.scheme + "://" + exchange.host + ":443" + exchange.request.target;
        } else if (rule.loop) {
            location = exchange.scheme + "://" + exchange.request.get_header_value("Host") +
                       exchange.request.target;
        }
        exchange.Redirect(location, rule.status);
        break;
    }
    case FaultRule::Action::Endless:
        StreamEndless(response, rule.content_type, rule.status);
        break;
    case FaultRule::Action::HugeLength:
        StreamHugeLength(response, rule.content_type, rule.status);
        break;
    }
}

Fields HeadersOf(const httplib::Request& request) {
    Fields headers;
    for (const auto& [name, value] : request.headers) {
        // httplib adds these itself; they were not sent.
        if (name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" ||
            name == "LOCAL_PORT") {
            continue;
        }
        headers.emplace_back(name, value);
    }
    return headers;
}

} // namespace

void Dispatch(Backend& backend, const httplib::Request& request, httplib::Response& response,
              bool tls) {
    Exchange exchange{backend, request, response};
    exchange.scheme = tls ? "https" : "http";
    exchange.host = HostOf(request);
    if (exchange.host.empty()) {
        exchange.host = backend.urls.names().web;
    }
    exchange.path = request.path;
    exchange.query = QueryOf(request.target);
    exchange.cookies = CookiesOf(request);
    if (request.method == "POST" || request.method == "PUT") {
        const std::string type = request.get_header_value("Content-Type");
        if (type.empty() || type.starts_with("application/x-www-form-urlencoded") ||
            type.starts_with("text/html") || type.starts_with("Text/html")) {
            exchange.form = ParseUrlEncoded(request.body);
        }
    }
    if (exchange.path == "/__control" || exchange.path.starts_with("/__control/")) {
        HandleControl(exchange);
        return;
    }
    exchange.match = ClassifyHost(backend.urls.names(), exchange.host);

    RecordedRequest record;
    record.time_ms = NowMillis();
    record.scheme = exchange.scheme;
    record.method = request.method;
    record.host = exchange.host;
    record.target = request.target;
    record.path = exchange.path;
    record.query = exchange.query;
    record.headers = HeadersOf(request);
    record.form = exchange.form;
    record.cookies = exchange.cookies;
    record.remote = request.remote_addr;
    const std::uint64_t number = backend.recorder.Begin(std::move(record));

    const auto faults = backend.faults.Take(exchange.host, request.method, exchange.path);
    std::string fault_names;
    if (faults.delay) {
        std::this_thread::sleep_for(std::chrono::milliseconds(faults.delay->delay_ms));
        fault_names = "delay";
    }
    if (faults.answer) {
        ApplyFault(exchange, *faults.answer);
        fault_names += (fault_names.empty() ? "" : ",") + ActionName(faults.answer->action);
        backend.recorder.Finish(number, response.status, fault_names);
        return;
    }

    switch (exchange.match.kind) {
    case HostKind::Web:
        HandleWebHost(exchange);
        break;
    case HostKind::Login:
        HandleLoginHost(exchange);
        break;
    case HostKind::Channel:
        HandleChannelHost(exchange);
        break;
    case HostKind::Picture:
        HandlePictureHost(exchange);
        break;
    case HostKind::Maker:
        HandleMakerHost(exchange);
        break;
    case HostKind::IpEcho:
        HandleIpEcho(exchange);
        break;
    case HostKind::Unknown:
        exchange.Html("<html><body><p>The stand-in does not serve " + HtmlEscape(exchange.host) +
                          ". The control page is at <a href=\"/__control/\">/__control/</a>."
                          "</p></body></html>\n",
                      404);
        break;
    }
    backend.recorder.Finish(number, response.status, fault_names);
}

} // namespace quillo::standin
