// The speed bar: hints, section captions and wallpaper tiles, and where its buttons sit.

#include <gtest/gtest.h>

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
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(items[static_cast<std::size_t>(i)]->button()->geometry(), QRect(3 + 70 * i, 10, 70, 20));
    // A button on a top bar never sits above the vertical offset.
    items[1]->setTop(2);
    items[1]->setLeft(400);
    EXPECT_EQ(items[1]->button()->geometry(), QRect(400, 10, 70, 20));
    items[2]->button()->hide();
    items[2]->button()->show();
    EXPECT_EQ(items[2]->button()->geometry(), QRect(143, 10, 70, 20));
    EXPECT_EQ(items[0]->button()->toolTip(), "One");
}

}  // namespace
}  // namespace kestrave
