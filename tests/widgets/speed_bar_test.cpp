// The speed bar: hints, section captions and wallpaper tiles, and where its buttons sit.

#include <gtest/gtest.h>

#include "persist/big_ini_file.h"
#include "support/temp_dir.h"
#include "widget_test_support.h"
#include "widgets/speed_bar.h"

namespace kestrave {
namespace {

TEST(SpeedBarModel, HintFollowsTheCaptionShortPart) {
    struct Case {
        const char* oldCaption;
        const char* oldHint;
        const char* newCaption;
        const char* hint;
    };
    const Case cases[] = {
        {"", "", "Select", "Select"},
        {"Select", "Select|Chooses the recording", "Open", "Open|Chooses the recording"},
        {"Select", "Select", "Open|Chooses a file", "Open|Chooses a file"},
        // A caption with a bar but no long part still only sets the short part.
        {"Select", "Select|Long", "Open|", "Open|Long"},
        // A hint of its own (not derived from the caption) stays.
        {"Select", "Pick a file", "Open", "Pick a file"},
        // After a caption with a long part, a plain caption replaces only the short part.
        {"Save|Saves the project", "Save|Saves the project", "Store", "Store|Saves the project"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(hintForCaption(c.oldCaption, c.oldHint, c.newCaption), QString::fromUtf8(c.hint))
            << c.newCaption;
    EXPECT_EQ(shortHint("Open|Chooses a file"), "Open");
}

TEST(SpeedBarModel, SectionCaptionsAndWallpaperTiles) {
    EXPECT_EQ(uniqueSectionCaption({}, "Main"), "Main");
    EXPECT_EQ(uniqueSectionCaption({"Main", "Main (1)"}, "Main"), "Main (2)");
    EXPECT_EQ(wallpaperTiles(QSize(1016, 26), QSize(10, 10)), QSize(102, 3));
    EXPECT_EQ(wallpaperTiles(QSize(1016, 26), QSize(0, 10)), QSize(0, 0));
}

struct SpeedBarWidget : test::WidgetTest {
    SpeedBarWidget() {
        bar.resize(1016, 30);
        const int section = bar.AddSection("Main");
        EXPECT_EQ(bar.AddSection("Main"), 1);
        EXPECT_EQ(bar.sectionCaption(1), "Main (1)");
        for (const char* name : {"One", "Two", "Three"}) bar.AddItem(section, name, name);
        bar.show();
    }
    TSpeedBar bar;
};

TEST_F(SpeedBarWidget, ButtonsSitAtTheirItemsPlaceAndKeepItWhileHidden) {
    const auto& items = bar.items();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(items[static_cast<std::size_t>(i)]->button()->geometry(), QRect(3 + 24 * i, 10, 24, 23));
        EXPECT_EQ(items[static_cast<std::size_t>(i)]->button()->Spacing(), 4);
    }
    // A button on a top bar never sits above the vertical offset.
    items[1]->setTop(2);
    items[1]->setLeft(400);
    EXPECT_EQ(items[1]->button()->geometry(), QRect(400, 10, 24, 23));
    items[2]->button()->hide();
    items[2]->button()->show();
    EXPECT_EQ(items[2]->button()->geometry(), QRect(51, 10, 24, 23));
    EXPECT_EQ(items[0]->button()->toolTip(), "One");
}

TEST_F(SpeedBarWidget, OptionsDressEveryButtonAndTheLayoutComesBackFromTheFile) {
    bar.setOptions(TSpeedBar::sbFlatBtns | TSpeedBar::sbTransparentBtns);
    for (TSpeedItem* item : bar.items()) {
        EXPECT_TRUE(item->button()->Flat() && item->button()->Transparent());
        EXPECT_FALSE(item->button()->GrayedInactive());
    }
    EXPECT_TRUE(bar.AddItem(0, "Four", "Four")->button()->Flat()) << "a new item takes the bar's options";

    test::TempDir dir;
    TBigIniFile ini(dir.path() / "bar.ini");
    bar.items()[1]->setLeft(500);
    bar.items()[3]->button()->hide();
    bar.saveLayout(ini, "Bar");
    EXPECT_EQ(ini.ReadString("Bar", "Button2", ""), "Two,500,10");
    EXPECT_EQ(ini.ReadInteger("Bar", "Count", 0), 3) << "hidden items are not stored";
    EXPECT_EQ(ini.ReadInteger("Bar", "Width", 0), 30);

    bar.items()[1]->setLeft(3);
    bar.items()[3]->button()->show();
    ini.WriteString("Bar", "Button1", "one,200,12");  // names match in any case
    bar.restoreLayout(ini, "Bar");
    EXPECT_EQ(bar.items()[0]->Left(), 200);
    EXPECT_EQ(bar.items()[1]->Left(), 500);
    EXPECT_TRUE(bar.items()[3]->button()->isHidden()) << "an item not in the file is hidden";
    // A bar never saved, and an older layout, change nothing.
    bar.restoreLayout(ini, "Other");
    EXPECT_FALSE(bar.items()[0]->button()->isHidden()) << "no section hides no button";
    bar.Version = 2;
    bar.items()[0]->setLeft(3);
    bar.restoreLayout(ini, "Bar");
    EXPECT_EQ(bar.items()[0]->Left(), 3);
}

TEST(SpeedBarModel, BoundLinesAreEtchedPairsThatGiveWayAtTheCorners) {
    const std::vector<EtchedLine> all = boundLines(QSize(100, 30), blTop | blBottom | blLeft | blRight);
    ASSERT_EQ(all.size(), 8u);
    EXPECT_EQ(all[0].line, QLine(0, 0, 99, 0));
    EXPECT_TRUE(all[1].highlight);
    EXPECT_EQ(all[1].line, QLine(0, 1, 99, 1));
    EXPECT_EQ(all[3].line, QLine(1, 2, 1, 29)) << "the left highlight starts below the top line";
    EXPECT_EQ(all[4].line, QLine(0, 28, 99, 28));
    EXPECT_EQ(all[6].line, QLine(98, 0, 98, 27)) << "the right shadow stops short of the bottom line";
    const std::vector<EtchedLine> sides = boundLines(QSize(100, 30), blLeft | blRight);
    EXPECT_EQ(sides[1].line, QLine(1, 1, 1, 29));
    EXPECT_EQ(sides[2].line, QLine(98, 0, 98, 29));
    EXPECT_TRUE(boundLines(QSize(100, 30), 0).empty());
}

}  // namespace
}  // namespace kestrave
