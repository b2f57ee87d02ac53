// Gradients, bevel boxes, bevel lines and drawn tabs: band plans as numbers, then pixels of
// pictures painted on the offscreen platform.

#include <QLabel>
#include <QPainter>

#include "widget_test_support.h"
#include "widgets/bevel.h"
#include "widgets/tab_control.h"

namespace kestrave {
namespace {

QImage canvas(int width, int height, const QColor& background = Qt::white) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(background);
    return image;
}

// A palette whose bevel colours are told apart at a glance.
QPalette bevelPalette() {
    QPalette palette;
    palette.setColor(QPalette::Dark, QColor(10, 10, 10));
    palette.setColor(QPalette::Light, QColor(250, 250, 250));
    palette.setColor(QPalette::Shadow, QColor(1, 2, 3));
    return palette;
}

TEST(MulDiv, RoundsHalvesAwayFromZeroAndAnswersTheGivenValueForAZeroDivisor) {
    EXPECT_EQ(mulDiv(1, 1, 2), 1);
    EXPECT_EQ(mulDiv(-1, 1, 2), -1);
    EXPECT_EQ(mulDiv(2, 100, 3), 67);
    EXPECT_EQ(mulDiv(1 << 30, 8, 16), 1 << 29) << "the product is taken in 64 bits";
    EXPECT_EQ(mulDiv(5, 7, 0), 0);
    EXPECT_EQ(mulDiv(5, 7, 0, -1), -1);
    EXPECT_EQ(colorFromBgr(10526941), QColor(221, 160, 160));
    EXPECT_EQ(colorFromBgr(12639424), QColor(192, 220, 192));
}

TEST(GradientBands, StepsAreClampedBandsShareTheRowsAndFillingStopsPastItsPercent) {
    TGradient gradient;
    gradient.setSteps(300);
    EXPECT_EQ(gradient.Steps(), 255);
    gradient.setSteps(0);
    EXPECT_EQ(gradient.Steps(), 1);
    EXPECT_TRUE(gradientBands(gradient.spec(), QRect(0, 0, 10, 300)).empty()) << "one step draws nothing";

    struct Case {
        TglGradientDir direction;
        QRect rect;
        int steps;
        int percent;
        std::size_t bands;
        QRect first;
        QRect last;
    };
    const Case cases[] = {
        // Fewer rows than steps: one band per row.
        {TglGradientDir::fgdHorizontal, QRect(0, 0, 10, 40), 255, 100, 40, QRect(0, 0, 10, 1),
         QRect(0, 39, 10, 1)},
        // More rows than steps: 255 bands of one or two rows, covering every row.
        {TglGradientDir::fgdHorizontal, QRect(5, 5, 4, 300), 255, 100, 255, QRect(5, 5, 4, 1),
         QRect(5, 304, 4, 1)},
        {TglGradientDir::fgdVertical, QRect(0, 0, 100, 3), 10, 100, 10, QRect(0, 0, 10, 3),
         QRect(90, 0, 10, 3)},
        // Half filled: bands up to the first past 50 per cent (128 of 255).
        {TglGradientDir::fgdHorizontal, QRect(0, 0, 2, 255), 255, 50, 129, QRect(0, 0, 2, 1),
         QRect(0, 128, 2, 1)},
        // Filling stops only past the percentage: band 5 of 10 is at 50 per cent, band 6 past it.
        {TglGradientDir::fgdHorizontal, QRect(0, 0, 2, 10), 10, 50, 7, QRect(0, 0, 2, 1), QRect(0, 6, 2, 1)},
        {TglGradientDir::fgdRectangle, QRect(0, 0, 40, 20), 255, 100, 10, QRect(0, 0, 40, 20),
         QRect(18, 9, 4, 2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << static_cast<int>(c.direction) << " " << c.steps << " " << c.percent);
        GradientSpec spec{Qt::red, Qt::blue, c.direction, c.steps, c.percent};
        const std::vector<GradientBand> bands = gradientBands(spec, c.rect);
        ASSERT_EQ(bands.size(), c.bands);
        EXPECT_EQ(bands.front().rect, c.first);
        EXPECT_EQ(bands.back().rect, c.last);
        EXPECT_EQ(bands.front().color, QColor(Qt::red));
        if (c.percent == 100) {
            EXPECT_EQ(bands.back().color, QColor(Qt::blue));
        }
    }
    // A rectangle one row high has one band, coloured as the start (not one below it).
    const std::vector<GradientBand> single = gradientBands({Qt::red, Qt::blue}, QRect(0, 0, 50, 1));
    ASSERT_EQ(single.size(), 1u);
    EXPECT_EQ(single.front().color, QColor(Qt::red));
}

TEST(GradientBands, PaintedBandsRunFromColourToColourAndLeaveTheUnfilledPartAlone) {
    TGradient gradient;
    gradient.setFromColor(Qt::red);
    gradient.setToColor(Qt::blue);
    struct Case {
        TglGradientDir direction;
        int percent;
        bool reversed;
        QPoint firstColour;
        QPoint lastColour;
        QPoint untouched;  // (-1, -1) when everything is painted
    };
    const Case cases[] = {
        {TglGradientDir::fgdHorizontal, 100, false, {5, 0}, {5, 99}, {-1, -1}},
        {TglGradientDir::fgdHorizontal, 100, true, {5, 99}, {5, 0}, {-1, -1}},
        {TglGradientDir::fgdHorizontal, 50, false, {5, 0}, {5, 99}, {5, 80}},
        {TglGradientDir::fgdVertical, 100, false, {0, 50}, {99, 50}, {-1, -1}},
        {TglGradientDir::fgdHorzConvergent, 100, false, {5, 0}, {5, 49}, {-1, -1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.direction));
        gradient.setActive(false);
        QImage image = canvas(100, 100);
        {
            QPainter painter(&image);
            gradient.draw(painter, image.rect());
        }
        EXPECT_EQ(image.pixelColor(5, 5), QColor(Qt::white)) << "an inactive gradient draws nothing";
        gradient.setActive(true);
        gradient.setOrientation(c.direction);
        gradient.setPercentFilling(c.percent);
        gradient.setReversed(c.reversed);
        {
            QPainter painter(&image);
            gradient.draw(painter, image.rect());
        }
        EXPECT_EQ(image.pixelColor(c.firstColour), QColor(Qt::red));
        if (c.percent == 100) {
            EXPECT_EQ(image.pixelColor(c.lastColour), QColor(Qt::blue));
        }
        if (c.untouched.x() >= 0) {
            EXPECT_EQ(image.pixelColor(c.untouched), QColor(Qt::white));
        }
    }
    // The convergent kind comes back to the first colour at the far edge.
    QImage image = canvas(100, 100);
    QPainter painter(&image);
    gradient.draw(painter, image.rect());
    EXPECT_EQ(image.pixelColor(5, 99), QColor(Qt::red));
}

TEST(BevelBox, LoweredIsDarkTopLeftRaisedTheReverseBoldAddsTheDarkestLineOutside) {
    const QColor dark(10, 10, 10), light(250, 250, 250), shadow(1, 2, 3), fill(0, 200, 0);
    struct Case {
        BevelBox box;
        QRect inside;
        std::vector<std::pair<QPoint, QColor>> pixels;
    };
    const TglSides leftRight = sideBit(TglSide::fsdLeft) | sideBit(TglSide::fsdRight);
    const Case cases[] = {
        {{AllSides, TBevelKind::bvLowered},
         QRect(1, 1, 8, 8),
         {{{0, 5}, dark}, {{5, 0}, dark}, {{9, 5}, light}, {{5, 9}, light}, {{5, 5}, fill}}},
        {{AllSides, TBevelKind::bvRaised}, QRect(1, 1, 8, 8), {{{0, 5}, light}, {{9, 5}, dark}}},
        {{AllSides, TBevelKind::bvRaised, TBevelKind::bvLowered},
         QRect(2, 2, 6, 6),
         {{{0, 5}, light}, {{1, 5}, dark}, {{8, 5}, light}, {{9, 5}, dark}}},
        {{AllSides, TBevelKind::bvLowered, TBevelKind::bvNone, true},
         QRect(2, 2, 7, 7),
         {{{0, 5}, shadow}, {{1, 5}, dark}, {{9, 5}, light}}},
        {{leftRight, TBevelKind::bvLowered},
         QRect(1, 0, 8, 10),
         {{{0, 0}, dark}, {{5, 0}, fill}, {{9, 9}, light}}},
        {{AllSides, TBevelKind::bvLowered, TBevelKind::bvNone, false, 2},
         QRect(2, 2, 6, 6),
         {{{1, 5}, dark}, {{8, 5}, light}, {{2, 5}, fill}}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        QImage image = canvas(10, 10);
        QPainter painter(&image);
        EXPECT_EQ(drawBevelBox(painter, image.rect(), cases[i].box, bevelPalette(), fill, false),
                  cases[i].inside);
        painter.end();
        for (const auto& [at, colour] : cases[i].pixels)
            EXPECT_EQ(image.pixelColor(at), colour) << at.x() << "," << at.y();
    }
    QImage image = canvas(10, 10);
    QPainter painter(&image);
    drawBevelBox(painter, image.rect(), {AllSides, TBevelKind::bvLowered}, bevelPalette(), fill, true);
    EXPECT_EQ(image.pixelColor(5, 5), QColor(Qt::white)) << "no fill";
}

struct CountedBevel : TglBevel {
    int paints = 0;
    void paintEvent(QPaintEvent* event) override { ++paints, TglBevel::paintEvent(event); }
};

TEST(BevelLines, SitEvenlyAcrossThePanelOverItsGradient) {
    EXPECT_EQ(bevelLinePositions(3, 100), (std::vector<int>{25, 50, 75}));
    EXPECT_TRUE(bevelLinePositions(0, 100).empty());
    EXPECT_EQ(bevelLinePositions(2, 10), (std::vector<int>{3, 7}));

    test::app();
    CountedBevel bevel;
    bevel.setPalette(bevelPalette());
    bevel.resize(100, 60);
    bevel.setBevelInner(TBevelKind::bvNone);
    bevel.Gradient->setFromColor(QColor(0, 128, 128));
    bevel.Gradient->setToColor(QColor(192, 220, 192));
    bevel.Gradient->setActive(true);
    bevel.VertLines->setCount(3);
    bevel.VertLines->setThickness(2);
    const QImage image = bevel.grab().toImage();
    EXPECT_EQ(image.pixelColor(10, 0), QColor(0, 128, 128));
    EXPECT_EQ(image.pixelColor(10, 59), QColor(192, 220, 192));
    for (const int x : {25, 50, 75}) {
        EXPECT_EQ(image.pixelColor(x, 30), QColor(10, 10, 10)) << x;
        EXPECT_EQ(image.pixelColor(x + 1, 30), QColor(250, 250, 250)) << x;
    }
    EXPECT_NE(image.pixelColor(40, 30), QColor(10, 10, 10));
    // A line is as thick as its Thickness: one pixel leaves the next column to the gradient.
    bevel.VertLines->setThickness(1);
    const QImage thin = bevel.grab().toImage();
    EXPECT_EQ(thin.pixelColor(26, 30), thin.pixelColor(24, 30));
    EXPECT_NE(thin.pixelColor(25, 30), thin.pixelColor(24, 30));
    // A changed bevel repaints the shown panel.
    bevel.show();
    QApplication::processEvents();
    bevel.setBevelOuter(TBevelKind::bvRaised);
    bevel.paints = 0, QApplication::processEvents();
    EXPECT_EQ(bevel.paints, 1);
}

TEST(TabBox, SelectedTabsStandOutAndUnselectedOnesStepBack) {
    const QRect item(10, 0, 70, 22);
    struct Case {
        TglSide side;
        bool selected;
        bool buttons;
        bool top;
        QRect box;
    };
    const Case cases[] = {
        {TglSide::fsdTop, false, false, true, QRect(11, 2, 67, 20)},
        {TglSide::fsdTop, true, false, true, QRect(13, 2, 63, 18)},
        {TglSide::fsdBottom, false, false, true, QRect(11, -1, 67, 20)},
        {TglSide::fsdBottom, false, false, false, QRect(11, -2, 67, 21)},
        {TglSide::fsdBottom, true, false, true, QRect(13, 0, 63, 19)},
        {TglSide::fsdLeft, false, false, true, QRect(12, 0, 68, 20)},
        {TglSide::fsdRight, true, false, true, QRect(10, 2, 66, 16)},
        {TglSide::fsdTop, false, true, true, QRect(9, -1, 70, 22)},
        {TglSide::fsdTop, true, true, true, item},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.side) << c.selected << c.buttons << c.top);
        EXPECT_EQ(tabBoxRect(item, c.side, c.selected, c.buttons, c.top), c.box);
    }

    // A glyph at the left of a top tab narrows the caption when glyphs are excluded.
    const QRect r(0, 0, 60, 20);
    const GlyphPlace left = glyphPlace(r, QSize(16, 16), TglHorAlign::fhaLeft, TglVertAlign::fvaCenter,
                                       TglSide::fsdTop, true, TglWallpaperOption::fwoNone);
    EXPECT_EQ(left.at, QPoint(1, 2));
    EXPECT_EQ(left.caption, QRect(18, 0, 42, 20));
    EXPECT_EQ(glyphPlace(r, QSize(16, 16), TglHorAlign::fhaRight, TglVertAlign::fvaBottom, TglSide::fsdTop,
                         false, TglWallpaperOption::fwoNone)
                  .caption,
              r);
}

TEST(TabControl, TabColoursComeFromTheHandlerThenTheTableThenTheStyle) {
    test::app();
    TglTabControl tabs;
    for (const char* caption : {"One", "Two", "Three"}) tabs.addTab(caption);
    tabs.setTabSize(60, 20);
    tabs.setTabColor(1, Qt::yellow);
    tabs.setTabColor(100, Qt::red);  // beyond the table: ignored
    EXPECT_FALSE(tabs.tabColor(100).isValid());
    tabs.TabStyle()->BackgrColor = Qt::cyan;
    EXPECT_EQ(tabs.itemColor(1), QColor(Qt::yellow));
    EXPECT_EQ(tabs.itemColor(2), QColor(Qt::cyan));
    tabs.OnGetItemColor = [](QObject*, int index, QColor& color) {
        if (index == 1) color = Qt::magenta;
    };
    EXPECT_EQ(tabs.itemColor(1), QColor(Qt::magenta));

    // Painted: each tab's middle shows its colour, the chosen one on its style's background.
    tabs.TabSelectedStyle()->BackgrColor = Qt::green;
    tabs.resize(tabs.sizeHint());
    const QImage image = tabs.grab().toImage();
    const auto besideCaption = [&](int tab) { return tabs.tabRect(tab).center() + QPoint(20, 0); };
    EXPECT_EQ(image.pixelColor(besideCaption(0)), QColor(Qt::green));
    EXPECT_EQ(image.pixelColor(besideCaption(1)), QColor(Qt::magenta));
    EXPECT_EQ(image.pixelColor(besideCaption(2)), QColor(Qt::cyan));
}

TEST(TurnedCaptions, StartWhereTheAlignmentPutsThem) {
    // Caption rectangle 60 x 18 at (10, 20), text 30 x 12.
    const QRect c(10, 20, 60, 18);
    const QSize text(30, 12);
    using H = TglHorAlign;
    using V = TglVertAlign;
    struct Case {
        TglLabelDir direction;
        H h;
        V v;
        QPoint origin;
    };
    const Case cases[] = {
        {TglLabelDir::fldRightLeft, H::fhaLeft, V::fvaTop, {70, 38}},
        {TglLabelDir::fldRightLeft, H::fhaCenter, V::fvaCenter, {55, 35}},
        {TglLabelDir::fldRightLeft, H::fhaRight, V::fvaBottom, {40, 32}},
        {TglLabelDir::fldDownUp, H::fhaLeft, V::fvaTop, {10, 34}},
        {TglLabelDir::fldDownUp, H::fhaCenter, V::fvaCenter, {34, 40}},  // 34 − (18 − 30) ÷ 2
        {TglLabelDir::fldDownUp, H::fhaRight, V::fvaBottom, {57, 53}},
        {TglLabelDir::fldUpDown, H::fhaLeft, V::fvaTop, {70, 24}},
        {TglLabelDir::fldUpDown, H::fhaCenter, V::fvaCenter, {46, 18}},
        {TglLabelDir::fldUpDown, H::fhaRight, V::fvaBottom, {22, 5}},
    };
    for (const Case& k : cases)
        EXPECT_EQ(rotatedCaptionOrigin(k.direction, k.h, k.v, c, text), k.origin)
            << static_cast<int>(k.direction) << static_cast<int>(k.h) << static_cast<int>(k.v);
    EXPECT_EQ(escapementOf(TglLabelDir::fldDownUp), 900);
    EXPECT_EQ(escapementOf(TglLabelDir::fldRightLeft), -1800);

    QFont bold("Arial");
    bold.setPixelSize(13);
    bold.setBold(true);
    bold.setItalic(true);
    const RotatedFont turned = rotatedFont(bold, 900);
    EXPECT_EQ(turned.font.weight(), QFont::Bold);
    EXPECT_TRUE(turned.font.italic());
    EXPECT_EQ(turned.font.pixelSize(), 13);
    EXPECT_EQ(turned.escapement, 900);
}

TEST(StyledTextAtAPoint, CopiesGoDownRightAndGradientTextStepsPerRow) {
    test::app();
    QFont font("DejaVu Sans");
    font.setPixelSize(20);
    font.setBold(true);
    // The pixels of each copy: a raised text leaves the light copy up-left of the text and the dark
    // one down-right; a shadow only a dark copy down-right.
    const auto drawn = [&](TglTextStyle style) {
        QImage image = canvas(60, 40);
        QPainter painter(&image);
        painter.setFont(font);
        drawStyledTextAt(painter, {5, 5}, "I", style, Qt::black, Qt::blue, Qt::red);
        return image;
    };
    const auto columns = [](const QImage& image, const QColor& colour) {
        int first = image.width();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y) == colour) first = std::min(first, x);
        return first;
    };
    const QImage raised = drawn(TglTextStyle::fstRaised);
    EXPECT_EQ(columns(raised, Qt::blue) - columns(raised, Qt::black), 1) << "dark one pixel past the text";
    EXPECT_EQ(columns(raised, Qt::black) - columns(raised, Qt::red), 1) << "light one pixel before it";
    const QImage shadow = drawn(TglTextStyle::fstShadow);
    EXPECT_EQ(columns(shadow, Qt::blue) - columns(shadow, Qt::black), 2);
    EXPECT_EQ(columns(shadow, Qt::red), 60);

    TGradient gradient;
    gradient.setFromColor(QColor(0, 0, 0));
    gradient.setToColor(QColor(200, 100, 0));
    EXPECT_EQ(gradient.textLineColor(10, 20), QColor(100, 50, 0));
    gradient.setActive(true);
    gradient.setPercentFilling(50);
    QImage image = canvas(40, 40, Qt::white);
    QPainter painter(&image);
    QFont block("DejaVu Sans");
    block.setPixelSize(40);
    painter.setFont(block);
    painter.setPen(Qt::green);
    gradient.drawText(painter, {0, 0}, QRect(0, 0, 40, 40), QString(QChar(0x2588)));
    painter.end();
    // Rows 0..20 are written in their own colour; the rest of the text stays unwritten.
    bool rowTen = false;
    for (int x = 0; x < 40; ++x) rowTen |= image.pixelColor(x, 10) == QColor(50, 25, 0);
    EXPECT_TRUE(rowTen);
    for (int x = 0; x < 40; ++x) EXPECT_EQ(image.pixelColor(x, 30), QColor(Qt::white)) << x;
}

TEST(TabWallpaper, FillsTheItemLessItsPageSideAndThePageLessTheTabRow) {
    const QRect item(10, 0, 70, 22);
    EXPECT_EQ(wallpaperItemRect(item, TglSide::fsdTop, false, true), QRect(10, 0, 70, 21));
    EXPECT_EQ(wallpaperItemRect(item, TglSide::fsdBottom, false, false), QRect(11, 1, 69, 21));
    EXPECT_EQ(wallpaperItemRect(item, TglSide::fsdBottom, false, true), QRect(10, 1, 70, 21));
    EXPECT_EQ(wallpaperItemRect(item, TglSide::fsdLeft, false, false), QRect(10, 0, 69, 22));
    EXPECT_EQ(wallpaperItemRect(item, TglSide::fsdRight, true, false), item) << "button look";

    const QRect client(0, 0, 800, 105);
    // Tabs 18 deep at the bottom: 23 pixels of tab row, 24 under a selected tab.
    EXPECT_EQ(wallpaperClientRect(client, TglSide::fsdBottom, 18, false, false), QRect(1, 1, 798, 81));
    EXPECT_EQ(wallpaperClientRect(client, TglSide::fsdBottom, 18, false, true), QRect(1, 1, 798, 80));
    EXPECT_EQ(wallpaperClientRect(client, TglSide::fsdTop, 20, false, true), QRect(1, 24, 798, 80));
    EXPECT_EQ(wallpaperClientRect(client, TglSide::fsdLeft, 20, true, false), QRect(23, 1, 776, 103));

    test::app();
    QLabel shown;
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::red);
    shown.setPixmap(QPixmap::fromImage(picture));
    TTabsWallpaper wallpaper;
    wallpaper.Image = &shown;
    EXPECT_EQ(wallpaper.picture().pixelColor(0, 0), QColor(Qt::red)) << "the image's picture while no bitmap";
    picture.fill(Qt::blue);
    wallpaper.Bitmap = picture;
    EXPECT_EQ(wallpaper.picture().pixelColor(0, 0), QColor(Qt::blue));
}

TEST(TabControl, InheritedFontsAndPerTabGradients) {
    test::app();
    TglTabControl tabs;
    tabs.addTab("Align");
    tabs.addTab("Stack");
    QFont big("DejaVu Sans");
    big.setPixelSize(17);
    tabs.setFont(big);
    EXPECT_NE(tabs.TabStyle()->Font.pixelSize(), 17) << "the styles keep their own fonts";
    tabs.setOptions(ftoInheriteTabFonts);
    big.setPixelSize(19);
    tabs.setFont(big);
    EXPECT_EQ(tabs.TabStyle()->Font.pixelSize(), 19);
    EXPECT_EQ(tabs.TabSelectedStyle()->Font.pixelSize(), 19);

    std::vector<int> asked;
    tabs.OnGetGradientColors = [&](QObject*, int index, TGradient& gradient) {
        asked.push_back(index);
        gradient.setToColor(index == 0 ? Qt::red : Qt::blue);
    };
    tabs.resize(200, 24);
    tabs.grab();
    EXPECT_EQ(asked.size(), 2u);
    tabs.setLookLikeButtons(true);
    EXPECT_TRUE(tabs.LookLikeButtons());
    // Glyphs and options take effect through their setters.
    const QImage plain = tabs.grab().toImage();
    tabs.setGlyphs({QImage(8, 8, QImage::Format_RGB32)});
    EXPECT_NE(tabs.grab().toImage(), plain);
    tabs.setTabsPosition(TglSide::fsdLeft);
    tabs.setOptions(ftoAutoFontDirection);
    EXPECT_EQ(tabs.FontDirection(), TglLabelDir::fldDownUp);
    EXPECT_EQ(TglPageControl().tabs()->TabsPosition(), TglSide::fsdTop);
}

}  // namespace
}  // namespace kestrave
