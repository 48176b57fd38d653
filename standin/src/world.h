#pragma once
// The accounts, friendships and stored conversations that the stand-in starts from, as read
// from the data file. Plain values; loading runs once at start (or at a reset) on the caller's
// thread and the result is copied into the live service state.

#include <cstdint>
#include <string>
#include <vector>

#include "service_json.h"

namespace quillo::standin {

using UserId = std::uint64_t;

// How the signed-in home page carries its markers.
enum class PageForm {
    Plain,      // HTML markers in plain HTML, tokens in a plain script
    Escaped,    // the same inside script strings, quotes backslash-escaped
    ScriptUser, // no user field: the id only as "user:" in the page's script
    NoChannel,  // plain, but without the channel: the client must ask reconnect
};

// What the reconnect endpoint answers for this account.
enum class ReconnectMode {
    Normal,       // the channel and its seq
    ErrorPage,    // the service's error page
    RedirectHome, // a script that sends the browser to the home page
};

struct Account {
    UserId id = 0;
    std::string email;
    std::string password;
    std::string name;       // UTF-8
    std::string first_name; // UTF-8
    std::vector<UserId> friends;
    bool online = false;                // online without a session (people in a browser, bots)
    std::string bot;                    // "" or "echo"
    std::string picture_format = "jpg"; // jpg, png or gif: the format its URLs name
    PageForm page_form = PageForm::Plain;
    bool photos_redirect = false; // the photos page answers with a script redirect first
    bool home_picture = true;     // the home page carries the picture marker
    bool logout_link = true;      // the home page has the menu's logout link, not only the form
    ReconnectMode reconnect_mode = ReconnectMode::Normal;
};

struct StoredMessage {
    UserId from = 0;
    UserId to = 0;
    std::string text; // as typed, not escaped
    std::int64_t time_ms = 0;
    std::string msg_id;
};

// A conversation that the home page shows as open; messages may be empty.
struct StoredConversation {
    UserId a = 0;
    UserId b = 0;
    std::vector<StoredMessage> messages;
};

struct WorldData {
    std::vector<Account> accounts;
    std::vector<StoredConversation> conversations;
};

// Reads the data file; throws std::runtime_error with a readable message when it is wrong.
WorldData LoadWorld(const std::string& path);
WorldData ParseWorld(const Json& document);

// A data document with one account (scale@quillo.test, password "scale") and friend_count
// friends, one in twenty online.
Json GenerateScaleWorld(int friend_count);

std::string PageFormName(PageForm form);
bool ParsePageForm(const std::string& name, PageForm& form);
std::string ReconnectModeName(ReconnectMode mode);
bool ParseReconnectMode(const std::string& name, ReconnectMode& mode);

} // namespace quillo::standin
