// The resources module: the image lists hold what the window asks of them.
#include "TsData.h"

#include <QImage>
#include <QSet>
#include <gtest/gtest.h>

TEST(ResourcesModule, ImageListsHaveTheirCountsSizesAndDistinctRolePictures) {
    const TsData resources;
    struct List {
        const char* name;
        const QList<QPixmap>& pictures;
        int count;
        int size;
        QList<int> roles;
    };
    const List lists[] = {
        {"MainImages", resources.MainImages, 104, 16, {28, 29, 49, 50, 72, 81, 84}},
        {"Images24x24", resources.Images24x24, 39, 32, {0, 1}},
        {"KeyBoardBlue", resources.KeyBoardBlue, 118, 16, {7, 55}},
    };
    for (const List& l : lists) {
        SCOPED_TRACE(l.name);
        ASSERT_EQ(l.pictures.size(), l.count);
        for (const QPixmap& p : l.pictures)
            EXPECT_EQ(p.size(), QSize(l.size, l.size));
        // Each role has a picture of its own, none of them blank.
        QSet<QByteArray> seen;
        for (int index : l.roles) {
            const QImage img = l.pictures[index].toImage();
            bool drawn = false;
            for (int y = 0; y < img.height() && !drawn; ++y)
                for (int x = 0; x < img.width() && !drawn; ++x)
                    drawn = qAlpha(img.pixel(x, y)) != 0;
            EXPECT_TRUE(drawn) << index;
            const QByteArray bytes(reinterpret_cast<const char*>(img.constBits()),
                                   static_cast<int>(img.sizeInBytes()));
            EXPECT_FALSE(seen.contains(bytes)) << index;
            seen.insert(bytes);
        }
    }
    // The status icons are drawn transparent around their shape, so they sit on any colour.
    for (int index : {28, 29, 49, 50, 72})
        EXPECT_EQ(qAlpha(resources.MainImages[index].toImage().pixel(0, 0)), 0) << index;
}
