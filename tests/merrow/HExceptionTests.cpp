#include "merrow/HException.h"

#include <gtest/gtest.h>

#include "orlo/ErrorDescription.h"

namespace {

// The glue catches both exception types side by side; neither may be taken
// for the other.
TEST(HException, IsCaughtBesideErrorDescription) {
    auto raise = [](bool host) {
        if (host)
            throw merrow::HException("host failure", 5);
        throw orlo::ErrorDescription("f", "F", "library failure", 1);
    };
    for (bool host : {true, false}) {
        try {
            raise(host);
        } catch (const orlo::ErrorDescription& error) {
            EXPECT_FALSE(host);
            EXPECT_STREQ(error.GetMessageText(), "library failure");
        } catch (const merrow::HException& error) {
            EXPECT_TRUE(host);
            EXPECT_STREQ(error.GetMessageText().c_str(), "host failure");
            EXPECT_EQ(error.GetResultCode(), 5);
        }
    }
}

} // namespace
