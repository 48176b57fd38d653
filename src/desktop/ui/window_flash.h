#pragma once
// Drawing the user's eye to the chat window when a message arrives behind other windows.

class QWidget;

namespace quillo {

// Flashes the task bar button of chatWindow's top-level window until the user brings it to the
// front. A window that is already in front is left alone, so it never goes on flashing once the
// user has seen it. Answers whether a flash was asked for. Main thread only.
bool FlashChatWindow(QWidget* chatWindow);

} // namespace quillo
