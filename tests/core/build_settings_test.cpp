#include "build_settings.h"

#include <gtest/gtest.h>

#include <QString>

TEST(BuildSettings, AddressesAreConfigured)
{
    EXPECT_TRUE(QString(BuildSettings::apiBaseUrl).endsWith('/'));
    EXPECT_FALSE(QString(BuildSettings::shareDomain).isEmpty());
    EXPECT_EQ(QString(BuildSettings::appVersion).count('.'), 2);
}
