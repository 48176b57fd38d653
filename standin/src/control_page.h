#pragma once
// The control page for a person: play any account in a browser (send, type, go on- and
// offline) and watch the chat. Static HTML; its script talks to the control interface.

#include <string>

namespace quillo::standin {

const std::string& ControlPageHtml();

} // namespace quillo::standin
