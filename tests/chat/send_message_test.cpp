// The outcome of an answer of the chat send endpoint.
#include <gtest/gtest.h>

#include "support/qt_printers.h"

#include "chat/send_message.h"

using namespace quillo;

TEST(SendOutcomeOf, SuccessWinsThenOfflineThenNothing) {
    const struct {
        const char* answer;
        SendOutcome outcome;
    } cases[] = {
        {R"(for (;;);{"error":0,"errorSummary":"","errorDescription":"No error.","payload":[]})",
         SendOutcome::Sent},
        // Both texts: the success text decides.
        {R"(for (;;);{"error":0,"errorDescription":"Bob is no longer online."})",
         SendOutcome::Sent},
        {R"({"errorDescription":"No error.","x":"no longer online"})", SendOutcome::Sent},
        {R"(for (;;);{"error":1356003,"errorSummary":"Send destination not online",)"
         R"("errorDescription":"This person is no longer online."})",
         SendOutcome::Offline},
        {R"(for (;;);{"error":1356003,"errorSummary":"Send destination not online"})",
         SendOutcome::NotSent},
        {R"(for (;;);{"error":1357001,"errorSummary":"Not Logged In"})", SendOutcome::NotSent},
        {"<html><title>Facebook | Error</title></html>", SendOutcome::NotSent},
        {"", SendOutcome::NotSent},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SendOutcomeOf(QString::fromUtf8(c.answer)), c.outcome) << c.answer;
}
