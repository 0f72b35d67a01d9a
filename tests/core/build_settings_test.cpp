#include "build_settings.h"

#include <gtest/gtest.h>

#include <QString>

TEST(BuildSettings, AddressesAreConfigured)
{
    // The account API lives under /api2/ wherever the service is.
    EXPECT_TRUE(QString(BuildSettings::apiBaseUrl).endsWith("/api2/")) << BuildSettings::apiBaseUrl;
    EXPECT_FALSE(QString(BuildSettings::shareDomain).isEmpty());
    EXPECT_EQ(QString(BuildSettings::appVersion).count('.'), 2);
}
