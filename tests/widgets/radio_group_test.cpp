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
