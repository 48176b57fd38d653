#pragma once
// The stand-in service as one object: the plain HTTP server, the optional TLS server, and the
// shared backend behind both. Start and Stop are called from one owning thread (the program's
// main thread or a test); the servers run on threads of their own with a pool of request
// threads each, and every host name is served on both ports.

#include <memory>
#include <string>
#include <thread>

#include "exchange.h"

namespace httplib {
class Server;
}

namespace quillo::standin {

struct StandInOptions {
    std::string bind_address = "127.0.0.1";
    int port = 0;     // 0: any free port
    bool tls = false; // a second port with the web host's certificate
    int tls_port = 0;
    // Where the certificate authority lives (needed with TLS), and the only folder whose files
    // a fault rule's "file" may serve.
    std::string state_dir;
    HostNames hosts;
    ServiceSettings settings;
    int threads = 256; // each held long poll occupies one
    int public_http_port = 80;
    int public_https_port = 443;
};

class StandIn {
public:
    StandIn(StandInOptions options, WorldData world);
    ~StandIn();
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;

    // Binds the ports and starts serving; throws std::runtime_error when that fails.
    void Start();
    // Ends held polls, stops both servers and waits for their threads. Idempotent.
    void Stop();

    int port() const { return port_; }
    int tls_port() const { return tls_port_; }
    const std::string& ca_file() const { return backend_->ca_file; }
    Backend& backend() { return *backend_; }

private:
    void Configure(httplib::Server& server, bool tls);
    void StartServer(httplib::Server& server, int& port, int wanted, std::thread& thread);

    StandInOptions options_;
    std::unique_ptr<Backend> backend_;
    std::unique_ptr<httplib::Server> http_;
    std::unique_ptr<httplib::Server> https_;
    std::thread http_thread_;
    std::thread https_thread_;
    int port_ = 0;
    int tls_port_ = 0;
    bool stopped_ = false;
};

// Serves one request of any host: control, faults, recording, then the host's handler.
void Dispatch(Backend& backend, const httplib::Request& request, httplib::Response& response,
              bool tls);

} // namespace quillo::standin
