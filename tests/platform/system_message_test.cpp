// The system's reasons as the user reads them, in French.
#include "platform/system_message.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <future>

TEST(SystemMessage, ReasonsReadInFrenchOrFallBackToTheSystemText)
{
    EXPECT_EQ(frenchReason(EACCES), "Permission non accordée");
    EXPECT_EQ(frenchReason(EBUSY), "Périphérique ou ressource occupé");
    EXPECT_EQ(frenchReason(std::error_code(ENOTTY, std::generic_category())),
              "Ioctl() inapproprié pour un périphérique");
    EXPECT_EQ(frenchReason(EXDEV), std::strerror(EXDEV));
    const auto other = std::make_error_code(std::future_errc::no_state);
    EXPECT_EQ(frenchReason(other), other.message());
}
