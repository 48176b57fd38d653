#include "service_json.h"

namespace quillo::standin {

std::string ServiceJsonText(const Json& value) {
    // Invalid UTF-8 in posted text must not take the answer down; the service replaced it.
    const std::string plain = value.dump(-1, ' ', true, Json::error_handler_t::replace);
    std::string out;
    out.reserve(plain.size() + plain.size() / 16);
    for (char c : plain) {
        if (c == '/') {
            out += "\\/";
        } else {
            out += c;
        }
    }
    return out;
}

std::string AjaxAnswer(const Json& value) {
    return std::string(kAjaxPrefix) + ServiceJsonText(value);
}

std::string JsString(std::string_view utf8) {
    return ServiceJsonText(Json(std::string(utf8)));
}

Json OkAnswer(Json payload) {
    Json answer;
    answer["error"] = 0;
    answer["errorSummary"] = "";
    answer["errorDescription"] = "No error.";
    answer["payload"] = std::move(payload);
    return answer;
}

Json ErrorAnswer(int code, std::string_view summary, std::string_view description) {
    Json answer;
    answer["error"] = code;
    answer["errorSummary"] = std::string(summary);
    answer["errorDescription"] = std::string(description);
    answer["errorIsWarning"] = false;
    answer["silentError"] = 0;
    answer["payload"] = nullptr;
    return answer;
}

Json NotLoggedInAnswer() {
    return ErrorAnswer(1357001, "Not Logged In", "You must be logged in to do that.");
}

Json StaleTokenAnswer() {
    return ErrorAnswer(1357004, "Sorry, something went wrong",
                       "Please try closing and re-opening your browser window.");
}

Json NotOnlineAnswer() {
    return ErrorAnswer(1356003, "Send destination not online", "This person is no longer online.");
}

} // namespace quillo::standin
