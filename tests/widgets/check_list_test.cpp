// The check list: its toggle rules without a window, and the clicks and keys of the list itself.

#include <gtest/gtest.h>

#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include "persist/big_ini_file.h"
#include "support/temp_dir.h"
#include "widget_test_support.h"
#include "widgets/check_list_box.h"

namespace kestrave {
namespace {

using S = CheckState;

CheckListModel modelOf(CheckKind kind, bool allowGrayed, std::vector<CheckItem> items) {
    CheckListModel model;
    model.kind = kind;
    model.allowGrayed = allowGrayed;
    model.items = std::move(items);
    return model;
}

std::vector<S> states(const CheckListModel& model) {
    std::vector<S> out;
    for (const CheckItem& item : model.items) out.push_back(item.state);
    return out;
}

TEST(CheckListModel, UserToggleFollowsTheCycleOfTheKind) {
    struct Case {
        CheckKind kind;
        bool allowGrayed;
        S from;
        S to;
    };
    const Case cases[] = {
        {CheckKind::CheckMarks, false, S::Unchecked, S::Checked},
        {CheckKind::CheckMarks, true, S::Unchecked, S::Grayed},
        {CheckKind::CheckBoxes, true, S::Grayed, S::Checked},
        {CheckKind::CheckBoxes, true, S::Checked, S::Unchecked},
        // Radio lists never offer the third state and never uncheck their checked item.
        {CheckKind::RadioButtons, true, S::Unchecked, S::Checked},
        {CheckKind::RadioButtons, false, S::Checked, S::Checked},
    };
    for (const Case& c : cases) {
        CheckListModel model = modelOf(c.kind, c.allowGrayed, {{c.from, true}});
        model.toggle(0);
        EXPECT_EQ(model.items[0].state, c.to)
            << static_cast<int>(c.kind) << " from " << static_cast<int>(c.from);
    }
    // A disabled item is left alone.
    CheckListModel disabled = modelOf(CheckKind::CheckMarks, false, {{S::Unchecked, false}});
    EXPECT_TRUE(disabled.toggle(0).empty());
    EXPECT_EQ(disabled.items[0].state, S::Unchecked);
}

TEST(CheckListModel, RadioListKeepsExactlyOneCheckedItem) {
    CheckListModel model =
        modelOf(CheckKind::CheckBoxes, false, {{S::Unchecked}, {S::Checked}, {S::Checked}});
    EXPECT_EQ(model.checkedIndex(), -1);
    EXPECT_EQ(model.setKind(CheckKind::RadioButtons), (std::vector<int>{2}));
    EXPECT_EQ(states(model), (std::vector<S>{S::Unchecked, S::Checked, S::Unchecked}));
    EXPECT_EQ(model.setState(0, S::Checked), (std::vector<int>{0, 1}));
    EXPECT_EQ(model.checkedIndex(), 0);
    EXPECT_TRUE(model.setState(0, S::Unchecked).empty());
    // No item checked: item 0 becomes the checked one.
    CheckListModel none = modelOf(CheckKind::CheckMarks, false, {{S::Unchecked}, {S::Unchecked}});
    none.setKind(CheckKind::RadioButtons);
    EXPECT_EQ(none.checkedIndex(), 0);
}

TEST(CheckListModel, PlusAndMinusActOnEnabledItemsOnly) {
    CheckListModel model =
        modelOf(CheckKind::CheckMarks, false, {{S::Unchecked}, {S::Unchecked, false}, {S::Grayed}});
    EXPECT_EQ(model.setAllEnabled(true), (std::vector<int>{0, 2}));
    EXPECT_EQ(states(model), (std::vector<S>{S::Checked, S::Unchecked, S::Checked}));
    model.items[1].state = S::Checked;
    model.items[1].enabled = false;
    model.setAllEnabled(false);
    EXPECT_EQ(states(model), (std::vector<S>{S::Unchecked, S::Checked, S::Unchecked}));
    model.kind = CheckKind::RadioButtons;
    EXPECT_TRUE(model.setAllEnabled(true).empty());
}

TEST(CheckListModel, PictureCellAndStoredStates) {
    CheckListModel model = modelOf(CheckKind::CheckMarks, false, {{S::Grayed, true}, {S::Checked, false}});
    EXPECT_EQ(model.cellIndex(0), 2 * 6 + 0 + 2);
    EXPECT_EQ(model.cellIndex(1), 2 * 6 + 3 + 1);
    EXPECT_EQ(checkAreaWidth(13), 15);
    const auto saved = model.saveStates();
    EXPECT_EQ(saved.at("Count"), 2);
    EXPECT_EQ(saved.at("Item0"), 2);
    // More stored items than the list has, and a state that is none of the three.
    CheckListModel back = modelOf(CheckKind::CheckMarks, false, {{S::Checked}, {S::Checked}});
    back.restoreStates({{"Count", 5}, {"Item0", 2}, {"Item1", 9}, {"Item4", 1}});
    EXPECT_EQ(states(back), (std::vector<S>{S::Grayed, S::Unchecked}));
    // A radio list stops at its first checked item.
    CheckListModel radio =
        modelOf(CheckKind::RadioButtons, false, {{S::Unchecked}, {S::Unchecked}, {S::Unchecked}});
    radio.restoreStates({{"Count", 3}, {"Item0", 0}, {"Item1", 1}, {"Item2", 1}});
    EXPECT_EQ(radio.checkedIndex(), 1);
}

struct CheckListBoxWidget : test::WidgetTest {
    CheckListBoxWidget() {
        list.setCheckKind(CheckKind::CheckMarks);
        for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) {
            auto* item = new QListWidgetItem(QString::fromLatin1(name), &list);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);
        }
        list.resize(200, 120);
        list.show();
    }
    QPoint at(int row, int x) const { return QPoint(x, list.visualItemRect(list.item(row)).center().y()); }
    CheckListBox list;
};

TEST_F(CheckListBoxWidget, PressInTheCheckAreaTogglesAndReportsOnce) {
    QSignalSpy clicks(&list, &CheckListBox::OnClickCheck);
    QSignalSpy changed(&list, &QListWidget::itemChanged);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at(1, list.checkArea() - 1));
    EXPECT_TRUE(list.Checked(1));
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(changed.count(), 1);
    // A click on the text selects without toggling.
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at(2, list.checkArea() + 30));
    EXPECT_FALSE(list.Checked(2));
    EXPECT_EQ(list.currentRow(), 2);
    // Space toggles the focused item; a disabled one stays.
    QTest::keyClick(&list, Qt::Key_Space);
    EXPECT_TRUE(list.Checked(2));
    list.setEnabledItem(0, false);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at(0, 2));
    EXPECT_FALSE(list.Checked(0));
    QTest::keyClick(&list, Qt::Key_Minus);
    EXPECT_FALSE(list.Checked(1));
    QTest::keyClick(&list, Qt::Key_Plus);
    EXPECT_EQ(list.State(0), CheckState::Unchecked);
    EXPECT_TRUE(list.Checked(1) && list.Checked(2));
}

// Each item shows, centred in its check area, the cell of the picture strip that its kind, state
// and enabled flag pick; every picture of the strip is distinct, so a wrong cell shows.
TEST_F(CheckListBoxWidget, ItemsShowTheirCellOfTheCheckStrip) {
    const QImage& strip = checkImages();
    ASSERT_EQ(strip.size(), QSize(6 * checkCellSize().width(), 3 * checkCellSize().height()));
    struct Case {
        CheckKind kind;
        S state;
        bool enabled;
        int cell;
    };
    const Case cases[] = {
        {CheckKind::CheckBoxes, S::Checked, true, 1},      {CheckKind::CheckBoxes, S::Grayed, false, 5},
        {CheckKind::RadioButtons, S::Unchecked, false, 9}, {CheckKind::RadioButtons, S::Checked, true, 7},
        {CheckKind::CheckMarks, S::Checked, true, 13},     {CheckKind::CheckMarks, S::Grayed, true, 14},
        {CheckKind::CheckMarks, S::Checked, false, 16},
    };
    const QSize cell = checkCellSize();
    for (const Case& c : cases) {
        list.setCheckKind(c.kind);
        list.setState(1, c.state);
        list.setEnabledItem(1, c.enabled);
        ASSERT_EQ(list.cellOf(1), c.cell);
        const QImage shown = list.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRect item = list.visualItemRect(list.item(1));
        const QPoint at(item.left() + (list.checkArea() - cell.width()) / 2,
                        item.top() + (item.height() - cell.height()) / 2);
        QImage expected(cell, QImage::Format_RGB32);
        expected.fill(list.viewport()->palette().color(QPalette::Base));
        QPainter(&expected).drawImage(0, 0, strip, checkCellRect(c.cell).x(), checkCellRect(c.cell).y(),
                                      cell.width(), cell.height());
        int worst = 0;
        for (int y = 0; y < cell.height(); ++y)
            for (int x = 0; x < cell.width(); ++x) {
                const QRgb a = shown.pixel(at + QPoint(x, y));
                const QRgb b = expected.pixel(x, y);
                worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                  std::abs(qBlue(a) - qBlue(b))});
            }
        EXPECT_LE(worst, 2) << "cell " << c.cell;
    }
    // No two pictures of the strip are alike, except the empty unchecked check marks.
    for (int a = 0; a < 18; ++a)
        for (int b = a + 1; b < 18; ++b) {
            if (a == 12 && b == 15) continue;
            EXPECT_NE(strip.copy(checkCellRect(a)), strip.copy(checkCellRect(b))) << a << " " << b;
        }
}

TEST_F(CheckListBoxWidget, SelectionColoursFollowFocusAndEnabling) {
    QPalette colours = list.palette();
    colours.setColor(QPalette::Button, QColor(200, 200, 200));
    colours.setColor(QPalette::ButtonText, QColor(1, 2, 3));
    colours.setColor(QPalette::Highlight, QColor(0, 0, 128));
    colours.setColor(QPalette::HighlightedText, Qt::white);
    colours.setColor(QPalette::Text, Qt::black);
    list.setPalette(colours);
    list.setSelectionMode(QAbstractItemView::MultiSelection);
    list.item(1)->setSelected(true);
    list.item(2)->setSelected(true);
    list.setEnabledItem(2, false);
    ASSERT_FALSE(list.hasFocus());
    EXPECT_EQ(list.itemColours(1).background, QColor(0, 0, 128));
    EXPECT_EQ(list.itemColours(1).text, QColor(Qt::white));
    EXPECT_FALSE(list.itemColours(0).background.isValid());
    EXPECT_EQ(list.itemColours(2).text, QColor(192, 192, 192)) << "a selected disabled item";

    list.setGraySelection(true);
    EXPECT_EQ(list.itemColours(1).background, QColor(200, 200, 200)) << "without the focus: the face";
    EXPECT_EQ(list.itemColours(1).text, QColor(Qt::black));
    colours.setColor(QPalette::Text, QColor(200, 200, 200));
    list.setPalette(colours);
    EXPECT_EQ(list.itemColours(1).text, QColor(1, 2, 3)) << "text as light as the face turns button text";
}

TEST_F(CheckListBoxWidget, ItemSizeCountsCheckAreaTabStopsAndItemHeight) {
    const QFontMetrics metrics = list.fontMetrics();
    list.item(0)->setText("a\tb");
    const int zero = metrics.horizontalAdvance('0');
    list.setTabWidth(10);
    const QSize size = list.visualItemRect(list.item(0)).size();
    // "a", a tab to the stop at 10 zeros, "b" and the "x" every item's extent adds.
    EXPECT_EQ(list.sizeHintForColumn(0), list.checkArea() + 10 * zero + metrics.horizontalAdvance("bx"));
    list.setItemHeight(40);
    EXPECT_EQ(list.visualItemRect(list.item(0)).height(), 40);
    list.setItemHeight(1);
    EXPECT_EQ(list.visualItemRect(list.item(0)).height(),
              std::max(metrics.boundingRect("Wg").height(), checkCellSize().height()))
        << "the text's and the picture's heights count";
    EXPECT_EQ(size.height(), 16) << "the default item height";
}

TEST_F(CheckListBoxWidget, ChangesMadeByCodeAreNoClickCheck) {
    QSignalSpy clicks(&list, &CheckListBox::OnClickCheck);
    QSignalSpy states(&list, &CheckListBox::OnStateChange);
    list.setChecked(0, true);
    list.setState(1, CheckState::Grayed);
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_EQ(states.count(), 2);
}

TEST_F(CheckListBoxWidget, CheckAllAndUncheckAllSkipDisabledItemsAndAreNoClickCheck) {
    QSignalSpy clicks(&list, &CheckListBox::OnClickCheck);
    list.setEnabledItem(1, false);
    list.CheckAll();
    EXPECT_TRUE(list.Checked(0));
    EXPECT_FALSE(list.Checked(1));
    EXPECT_TRUE(list.Checked(2));
    list.setEnabledItem(1, true);
    list.setChecked(1, true);
    list.setEnabledItem(0, false);
    list.UncheckAll();
    EXPECT_TRUE(list.Checked(0));
    EXPECT_FALSE(list.Checked(1));
    EXPECT_FALSE(list.Checked(2));
    EXPECT_EQ(clicks.count(), 0);
    // The keys do the same and report it.
    list.setFocus();
    QTest::keyClick(&list, '+');
    EXPECT_TRUE(list.Checked(2));
    EXPECT_EQ(clicks.count(), 1);

    list.setCheckKind(CheckKind::RadioButtons);
    const int checked = list.CheckedIndex();
    list.UncheckAll();
    list.CheckAll();
    EXPECT_EQ(list.CheckedIndex(), checked) << "radio buttons keep their one item";
    // A press on the checked radio item keeps it checked and still reports the user's toggle.
    list.setEnabledItem(checked, true);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at(checked, 2));
    EXPECT_EQ(list.CheckedIndex(), checked);
    EXPECT_EQ(clicks.count(), 2);
}

TEST_F(CheckListBoxWidget, StatesGoThroughTheStorageInTheListsOwnSection) {
    test::ProgramDirScope home;
    QWidget form;
    form.setObjectName("FramesForm");
    list.setParent(&form);
    list.setObjectName("FrameList");
    auto* storage = new TFormPlacement(&form);
    storage->setIniFileName(home.path() / "frames.ini");
    storage->setIniSection("Frames");
    storage->setOptions({});
    storage->setActive(false);
    list.setIniStorage(storage);
    list.setState(0, CheckState::Checked);
    list.setState(2, CheckState::Grayed);
    storage->SaveFormPlacement();

    const std::string section = "Frames\\QWidgetFrameList";
    EXPECT_EQ(list.iniSection(), section);
    TBigIniFile file(home.path() / "frames.ini");
    std::vector<std::string> values;
    file.ReadSectionValues(section, values);
    EXPECT_EQ(values, (std::vector<std::string>{"Count=3", "Item0=1", "Item1=0", "Item2=2"}));

    list.UncheckAll();
    storage->RestoreFormPlacement();
    EXPECT_EQ(list.State(0), CheckState::Checked);
    EXPECT_EQ(list.State(1), CheckState::Unchecked);
    EXPECT_EQ(list.State(2), CheckState::Grayed);

    // A save erases what an earlier, longer list left.
    {
        TBigIniFile longer(home.path() / "frames.ini");
        longer.WriteInteger(section, "Item7", 1);
        longer.flush();
    }
    delete list.takeItem(2);
    storage->SaveFormPlacement();
    values.clear();
    TBigIniFile(home.path() / "frames.ini").ReadSectionValues(section, values);
    EXPECT_EQ(values, (std::vector<std::string>{"Count=2", "Item0=1", "Item1=0"}));
    list.setIniStorage(nullptr);
    list.setParent(nullptr);
}

}  // namespace
}  // namespace kestrave
