// The rectangle shape: where body and shadow lie, checked on the painted pixels.

#include <gtest/gtest.h>

#include <QImage>

#include "support/qt_test_application.h"
#include "widgets/rect_shape.h"

namespace kestrave {
namespace {

TEST(RectShape, WithoutAShadowTheBodyFillsTheBoundsWithOneTheShadowShowsRightAndBelow) {
    test::app();
    struct Case {
        bool shadow;
        int offset;
        int pen;
        QRect body;
        QRect shadowRect;
    };
    const Case cases[] = {
        {false, 2, 0, QRect(0, 0, 20, 10), QRect()},
        {false, 2, 1, QRect(0, 0, 20, 10), QRect()},
        {true, 2, 0, QRect(0, 0, 18, 8), QRect(2, 2, 18, 8)},
        {true, 1, 1, QRect(0, 0, 19, 9), QRect(1, 1, 19, 9)},
        {true, 2, 3, QRect(1, 1, 16, 6), QRect(3, 3, 16, 6)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.shadow << " " << c.offset << " " << c.pen);
        const RectShapeGeometry geometry = rectShapeGeometry(QSize(20, 10), c.pen, c.shadow, c.offset);
        EXPECT_EQ(geometry.body, c.body);
        EXPECT_EQ(geometry.shadow, c.shadowRect);
    }

    TRectShape shape;
    shape.resize(20, 10);
    shape.setPen(Qt::NoPen);
    shape.setBrush(Qt::red);
    shape.setShadowColor(Qt::blue);
    const QImage flat = (shape.setShadow(false), shape.grab().toImage());
    EXPECT_EQ(flat.pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(flat.pixelColor(19, 9), QColor(Qt::red));
    const QImage shadowed = (shape.setShadow(true), shape.grab().toImage());
    EXPECT_EQ(shadowed.pixelColor(17, 7), QColor(Qt::red));
    EXPECT_EQ(shadowed.pixelColor(18, 7), QColor(Qt::blue)) << "the shadow along the right";
    EXPECT_EQ(shadowed.pixelColor(7, 9), QColor(Qt::blue)) << "the shadow along the bottom";
    EXPECT_NE(shadowed.pixelColor(19, 0), QColor(Qt::blue)) << "the shadow starts below the top";
}

}  // namespace
}  // namespace kestrave
