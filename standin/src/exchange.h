#pragma once
// One request on its way through the stand-in: the parsed request, the answer being built and
// everything a handler may use. Lives on the stack of the request thread that serves it; the
// Backend it points to is shared by all request threads and outlives every exchange.

#include <httplib.h>

#include <atomic>
#include <ctime>
#include <string>

#include "faults.h"
#include "hosts.h"
#include "pictures.h"
#include "recorder.h"
#include "service_state.h"

namespace quillo::standin {

struct Backend {
    Backend(Urls urls_in, WorldData world, ServiceSettings settings)
        : urls(std::move(urls_in))
        , state(std::move(world), std::move(settings)) {}

    Urls urls;
    ServiceState state;
    Recorder recorder;
    FaultTable faults;
    PictureStore pictures;
    std::string ca_file;            // empty without TLS
    std::string state_dir;          // where fault rules' files are read from; may be empty
    std::atomic<int> held_polls{0}; // long polls waiting right now
};

struct Exchange {
    Exchange(Backend& backend_in, const httplib::Request& request_in,
             httplib::Response& response_in)
        : backend(backend_in)
        , request(request_in)
        , response(response_in) {}

    Backend& backend;
    const httplib::Request& request;
    httplib::Response& response;
    std::string scheme; // http or https
    std::string host;
    std::string path;
    HostMatch match;
    Fields query;
    Fields form;
    Fields cookies;

    // A form field from the body, or else from the query.
    std::optional<std::string> Field(std::string_view name) const;

    void Html(std::string body, int status = 200);
    void Text(std::string body, const std::string& content_type, int status = 200);
    // An AJAX answer in the service's style.
    void Ajax(const Json& answer, int status = 200);
    // The same for an answer written by hand (the service wrote some of its own way).
    void AjaxText(const std::string& json_text, int status = 200);
    void Redirect(const std::string& location, int status = 302);
    // A Set-Cookie line with expiry, path and the service's cookie domain.
    void SetCookie(const std::string& name, const std::string& value, std::time_t expires);
};

// Logs a chat message under "chat": sender, receiver, text, the fields of extra, whether it
// was delivered, and how it came in (via "web" or "control").
void RecordChat(Backend& backend, UserId from, UserId to, const std::string& text,
                const Json& extra, ServiceState::Delivery delivery, std::string_view via);

void HandleWebHost(Exchange& exchange);
// The login host: the web host's login page and sign-in, nothing else.
void HandleLoginHost(Exchange& exchange);
void HandleAjax(Exchange& exchange);
void HandleChannelHost(Exchange& exchange);
void HandlePictureHost(Exchange& exchange);
void HandleMakerHost(Exchange& exchange);
void HandleIpEcho(Exchange& exchange);
void HandleControl(Exchange& exchange);

} // namespace quillo::standin
