#pragma once
// Answers written the way the service wrote them: JSON whose non-ASCII characters are \uXXXX
// escapes and whose slashes are "\/", with "for (;;);" in front of every AJAX answer.
// Pure functions, callable from any thread.

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace quillo::standin {

// Keys keep the order in which they were added: the client cuts answers by marker position.
using Json = nlohmann::ordered_json;

// The JSON text of value in the service's escaping, without the prefix.
std::string ServiceJsonText(const Json& value);

// What every AJAX and channel answer starts with, so that a page cannot run it as a script.
inline constexpr std::string_view kAjaxPrefix = "for (;;);";

// An AJAX answer: kAjaxPrefix followed by ServiceJsonText.
std::string AjaxAnswer(const Json& value);

// A quoted JavaScript string literal in the service's escaping.
std::string JsString(std::string_view utf8);

// {"error":0,"errorSummary":"","errorDescription":"No error.","payload":payload}
Json OkAnswer(Json payload);

// The envelope of every refusal.
Json ErrorAnswer(int code, std::string_view summary, std::string_view description);

// The session is gone or was never there.
Json NotLoggedInAnswer();

// The session is alive but the request echoes tokens of another page load.
Json StaleTokenAnswer();

// A chat message to somebody who is not online.
Json NotOnlineAnswer();

} // namespace quillo::standin
