#include "standin.h"

#include <sys/socket.h>

#include <chrono>
#include <stdexcept>

#include "tls_setup.h"

namespace quillo::standin {

namespace {

// httplib listens with a queue of five pending connections; a burst of long polls (every
// client reconnecting at once) overflows that and waits for SYN retries, seconds each.
template <typename Base>
class WideQueueServer : public Base {
public:
    using Base::Base;

    void WidenQueue() { ::listen(this->svr_sock_, 1024); }
};

void WidenQueue(httplib::Server& server) {
    if (auto* wide = dynamic_cast<WideQueueServer<httplib::SSLServer>*>(&server)) {
        wide->WidenQueue();
    } else if (auto* plain = dynamic_cast<WideQueueServer<httplib::Server>*>(&server)) {
        plain->WidenQueue();
    }
}

} // namespace

StandIn::StandIn(StandInOptions options, WorldData world)
    : options_(std::move(options)) {
    Urls urls(options_.hosts, options_.public_http_port, options_.public_https_port, options_.tls);
    backend_ = std::make_unique<Backend>(std::move(urls), std::move(world), options_.settings);
    backend_->state_dir = options_.state_dir;
}

StandIn::~StandIn() {
    Stop();
}

void StandIn::Configure(httplib::Server& server, bool tls) {
    const int threads = options_.threads < 8 ? 8 : options_.threads;
    server.new_task_queue = [threads] {
        return new httplib::ThreadPool(static_cast<std::size_t>(threads));
    };
    // A long poll is answered within its hold time; keep-alive connections must not pin
    // request threads for long when nobody uses them.
    server.set_keep_alive_timeout(5);
    server.set_keep_alive_max_count(100);
    // Headers and body leave in separate writes; without this every answer on a kept-alive
    // connection waits for the client's delayed acknowledgement.
    server.set_tcp_nodelay(true);
    server.set_read_timeout(30);
    server.set_write_timeout(30);
    server.set_payload_max_length(16 * 1024 * 1024);
    Backend* backend = backend_.get();
    auto handler = [backend, tls](const httplib::Request& request, httplib::Response& response) {
        Dispatch(*backend, request, response, tls);
    };
    server.Get(".*", handler);
    server.Post(".*", handler);
    server.Put(".*", handler);
    server.Delete(".*", handler);
    server.Options(".*", handler);
}

void StandIn::StartServer(httplib::Server& server, int& port, int wanted, std::thread& thread) {
    if (wanted == 0) {
        port = server.bind_to_any_port(options_.bind_address);
    } else {
        port = server.bind_to_port(options_.bind_address, wanted) ? wanted : -1;
    }
    if (port <= 0) {
        throw std::runtime_error("cannot listen on " + options_.bind_address + ":" +
                                 std::to_string(wanted));
    }
    WidenQueue(server);
    thread = std::thread([&server] { server.listen_after_bind(); });
    // Stop must not come before the server runs, or it would not end its loop.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!server.is_running() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void StandIn::Start() {
    http_ = std::make_unique<WideQueueServer<httplib::Server>>();
    Configure(*http_, false);
    if (options_.tls) {
        if (options_.state_dir.empty()) {
            throw std::runtime_error("TLS needs a state folder for its certificate authority");
        }
        const auto& hosts = options_.hosts;
        // The login host is named too: it may be given outside the base domain.
        const TlsMaterial material =
            PrepareTls(options_.state_dir,
                       {hosts.web, "*." + hosts.base_domain, LoginHostName(hosts), "localhost"});
        auto https = std::make_unique<WideQueueServer<httplib::SSLServer>>(
            material.server_certificate.get(), material.server_key.get());
        if (!https->is_valid()) {
            throw std::runtime_error("cannot set up the TLS server");
        }
        https_ = std::move(https);
        backend_->ca_file = material.ca_certificate;
        Configure(*https_, true);
    }
    StartServer(*http_, port_, options_.port, http_thread_);
    if (https_) {
        StartServer(*https_, tls_port_, options_.tls_port, https_thread_);
    }
}

void StandIn::Stop() {
    if (stopped_) {
        return;
    }
    stopped_ = true;
    // Held polls end first, so that the request threads can be joined.
    backend_->state.Shutdown();
    for (auto* server : {http_.get(), https_.get()}) {
        if (server && server->is_running()) {
            server->stop();
        }
    }
    for (auto* thread : {&http_thread_, &https_thread_}) {
        if (thread->joinable()) {
            thread->join();
        }
    }
}

} // namespace quillo::standin
