#include "app/AppResources.h"

#include <gtest/gtest.h>

TEST(AppIcon, HasItsFourSizes) {
    const QIcon icon = kalvo::appIcon();
    ASSERT_FALSE(icon.isNull());
    const QList<QSize> sizes = icon.availableSizes();
    for (int size : {16, 32, 48, 256})
        EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
    EXPECT_EQ(icon.pixmap(QSize(32, 32)).size(), QSize(32, 32));
}
