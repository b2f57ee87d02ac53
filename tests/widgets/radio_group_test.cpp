// The radio group: a choice from code fires nothing, a click fires OnClick, and the form storage
// reaches its ItemIndex by name.

#include <gtest/gtest.h>

#include <QRadioButton>
#include <QSignalSpy>

#include "widget_test_support.h"
#include "widgets/form_props.h"
#include "widgets/radio_group.h"

namespace kestrave {
namespace {

struct RadioGroupWidget : test::WidgetTest {
    RadioGroupWidget() {
        group.setCaption("Wavelet filter");
        group.setItems({"Default", "Gaussian"});
    }
    TRadioGroup group;
    QSignalSpy clicks{&group, &TRadioGroup::OnClick};
};

TEST_F(RadioGroupWidget, ChoicesFromCodeAreSilentAndClicksAreHeard) {
    EXPECT_EQ(group.ItemIndex(), -1) << "new items: none chosen";
    group.setItemIndex(1);
    EXPECT_EQ(group.ItemIndex(), 1);
    EXPECT_EQ(clicks.count(), 0);

    group.button(0)->click();
    EXPECT_EQ(group.ItemIndex(), 0);
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks[0][0].value<QObject*>(), &group);

    group.setItemIndex(5);
    EXPECT_EQ(group.ItemIndex(), -1) << "an index outside the items chooses none";
    EXPECT_FALSE(group.button(0)->isChecked());
}

TEST_F(RadioGroupWidget, ColumnsAreFilledTopToBottomThenLeftToRight) {
    group.setItems({"32", "64", "128", "256", "512"});
    group.setColumns(2);
    group.show();
    // Three rows: 32, 64, 128 in the first column, 256 and 512 in the second.
    const auto at = [&](int i) { return group.button(i)->geometry().topLeft(); };
    EXPECT_EQ(at(1).x(), at(0).x());
    EXPECT_GT(at(1).y(), at(0).y());
    EXPECT_EQ(at(3).y(), at(0).y());
    EXPECT_GT(at(3).x(), at(0).x());
    EXPECT_EQ(at(4).y(), at(1).y());
}

TEST_F(RadioGroupWidget, TheStoredItemIndexIsReadAndWrittenByName) {
    group.setItemIndex(1);
    const auto property = StoredProperty::find(group, u"itemindex");
    ASSERT_TRUE(property.has_value());
    EXPECT_EQ(property->read().toInt(), 1);
    EXPECT_TRUE(property->write(0));
    EXPECT_EQ(group.ItemIndex(), 0);
    EXPECT_EQ(clicks.count(), 0) << "restoring a stored value runs no handler";
}

}  // namespace
}  // namespace kestrave
