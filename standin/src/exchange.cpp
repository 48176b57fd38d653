#include "exchange.h"

namespace quillo::standin {

std::optional<std::string> Exchange::Field(std::string_view name) const {
    if (auto value = FieldValue(form, name)) {
        return value;
    }
    return FieldValue(query, name);
}

void Exchange::Html(std::string body, int status) {
    Text(std::move(body), "text/html; charset=utf-8", status);
}

void Exchange::Text(std::string body, const std::string& content_type, int status) {
    response.status = status;
    response.set_content(std::move(body), content_type.c_str());
}

void Exchange::Ajax(const Json& answer, int status) {
    Text(AjaxAnswer(answer), "application/x-javascript; charset=utf-8", status);
}

void Exchange::AjaxText(const std::string& json_text, int status) {
    Text(std::string(kAjaxPrefix) + json_text, "application/x-javascript; charset=utf-8", status);
}

void Exchange::Redirect(const std::string& location, int status) {
    response.status = status;
    response.set_header("Location", location);
    response.set_content("", "text/html; charset=utf-8");
}

void Exchange::SetCookie(const std::string& name, const std::string& value, std::time_t expires) {
    response.set_header("Set-Cookie", name + "=" + value + "; expires=" + CookieDate(expires) +
                                          "; path=/; domain=" + backend.urls.CookieDomain());
}

void RecordChat(Backend& backend, UserId from, UserId to, const std::string& text,
                const Json& extra, ServiceState::Delivery delivery, std::string_view via) {
    Json record;
    record["from"] = from;
    record["to"] = to;
    record["text"] = text;
    for (const auto& [key, value] : extra.items()) {
        record[key] = value;
    }
    record["delivered"] = delivery == ServiceState::Delivery::Delivered;
    record["via"] = via;
    backend.recorder.Add("chat", std::move(record));
}

} // namespace quillo::standin
