// How the main window's components are dressed: the status bar's five panels with the progress
// bar and the size grip, the indicators and their shadows, the labels' shadows, the speed bar's
// options and pictures, the check boxes' ticks and the sliders' options.

#include <QProgressBar>
#include <QResizeEvent>
#include <QSizeGrip>
#include <map>

#include "shell/speed_bar.h"
#include "shell_test_support.h"
#include "widgets/adv_status_bar.h"
#include "widgets/check_box.h"
#include "widgets/event_scroll_box.h"
#include "widgets/rect_shape.h"
#include "widgets/shadow_label.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"
#include "widgets/splines.h"
#include "widgets/tab_control.h"

namespace kestrave::test {

TEST_F(ShellWindowTest, StatusBarHoldsFivePanelsTheProgressBarAndTheGrip) {
    auto* bar = form->findChild<TAdvStatusBar*>("AdvStatusBar1");
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->panelCount(), 5);
    form->resize(1600, 1000);
    bar->resize(1600, bar->height());
    const int widths[] = {250, 2, 200, 450};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(bar->panelRect(i).width(), widths[i]) << i;
    EXPECT_EQ(bar->panelRect(4).left(), 902);
    EXPECT_EQ(pieces(*form).StatusPanels[3], bar->panel(3));
    EXPECT_EQ(pieces(*form).ProgressBar1->parentWidget(), bar);
    EXPECT_EQ(form->findChild<QWidget*>("Panel5")->parentWidget(), bar);
    EXPECT_NE(form->findChild<QSizeGrip*>("Gripimage"), nullptr);
    EXPECT_NE(form->findChild<TSplines*>("Splines1"), nullptr);
    EXPECT_NE(form->findChild<TEventScrollBox*>("Scrollbox3"), nullptr);
    EXPECT_NE(form->findChild<TEventScrollBox*>("EventScrollBox2"), nullptr);
    EXPECT_NE(form->findChild<TEventScrollBox*>("EventScrollBox1"), nullptr);
}

TEST_F(ShellWindowTest, EighteenIndicatorsTwelveOfThemOnAShadow) {
    // The RGB balance window's histogram has level lines of its own besides the histogram's.
    QList<TRectShape*> shapes = form->findChildren<TRectShape*>();
    shapes.removeIf([](const TRectShape* shape) { return shape->objectName().startsWith("RGB"); });
    EXPECT_EQ(shapes.size(), 18);
    int shadowed = 0;
    for (const TRectShape* shape : shapes) {
        if (!shape->Shadow()) continue;
        ++shadowed;
        EXPECT_TRUE(shape->ShadowOffset() == 1 || shape->ShadowOffset() == 2)
            << shape->objectName().toStdString();
        EXPECT_EQ(shape->ShadowColor(), shape->palette().color(QPalette::Dark));
    }
    EXPECT_EQ(shadowed, 12);
    for (const char* name : {"Loline", "Hiline", "stackshape", "Showbuttonp3"})
        EXPECT_TRUE(std::any_of(shapes.begin(), shapes.end(), [&](const TRectShape* s) {
            return s->objectName().endsWith(name);
        })) << name;
}

TEST_F(ShellWindowTest, LabelsAndSpeedBarItemsAreDressed) {
    int sizes[4] = {};
    for (const TRxLabel* label : form->findChildren<TRxLabel*>()) ++sizes[std::min(label->ShadowSize(), 3)];
    EXPECT_EQ(sizes[1], 0) << "a label's shadow is 0, 2 or 3 pixels";
    EXPECT_GE(sizes[2], 5);
    EXPECT_EQ(form->findChild<TRxLabel*>("Stacklabel")->ShadowSize(), 3);
    // The colour balance's labels are the shadowed labels of the component set, found by name.
    for (const char* name : {"LabelR", "labelG", "LabelB", "Xmove", "Ymove"})
        EXPECT_NE(form->findChild<TRxLabel*>(name), nullptr) << name;

    const SpeedBar& bar = *pieces(*form).Speedbar;
    EXPECT_EQ(bar.Options(), TSpeedBar::sbGrayedBtns | TSpeedBar::sbTransparentBtns);
    for (const TSpeedItem* item : bar.items()) {
        EXPECT_TRUE(item->button()->Transparent());
        EXPECT_EQ(item->button()->Spacing(), 1);
        EXPECT_EQ(item->button()->size(), QSize(70, 20));
        EXPECT_TRUE(item->button()->isEnabled()) << item->objectName().toStdString();
        EXPECT_EQ(item->button()->text(), item->Caption() + "\r\n ");
    }
    EXPECT_EQ(bar.helpbutton->toolTip(), "Help");
    for (const TglPageControl* pages : form->findChildren<TglPageControl*>())
        EXPECT_EQ(pages->tabs()->TabsPosition(), TglSide::fsdBottom) << pages->objectName().toStdString();
    for (const TRxSpeedButton* button : {bar.Selectbutton, bar.Cancelbutton, bar.PauseButton, bar.Wizard}) {
        EXPECT_FALSE(button->Glyph().isNull()) << button->objectName().toStdString();
        EXPECT_EQ(button->Layout(), ButtonLayout::GlyphBottom);
        // The picture sits whole under the caption, in the place of its blank line.
        const GlyphCaptionPlace place = button->contentPlace();
        EXPECT_LT(place.caption.height(), button->height());
        EXPECT_GE(place.glyph.y(), place.caption.top());
        EXPECT_LE(place.glyph.y() + button->Glyph().height(), button->height());
    }
}

TEST_F(ShellWindowTest, CheckBoxesTickWithTheLimeHookAndLayerSlidersShowNoTicks) {
    // All but the histogram's channel switches, which tick in their channel's colour.
    std::map<int, int> kinds, options, alignments;
    for (const TPCheck* check : form->findChildren<TPCheck*>()) ++kinds[check->ImageType()];
    EXPECT_EQ(kinds[TPCheck::igHookLime], form->findChildren<TPCheck*>().size() - 3);
    // The number fields are right-aligned, all but five among the Align page's additional options.
    for (const TRxSpinEdit* spin : form->findChildren<TRxSpinEdit*>()) ++alignments[spin->Alignment()];
    EXPECT_EQ(alignments[TRxSpinEdit::taLeftJustify], 5);
    for (const TRxSlider* slider : form->findChildren<TRxSlider*>()) ++options[slider->Options()];
    EXPECT_EQ(options[TRxSlider::soShowFocus], 12);
    EXPECT_EQ(options[TRxSlider::soShowFocus | TRxSlider::soSmooth], 6);
    EXPECT_EQ(options[TRxSlider::soShowFocus | TRxSlider::soShowPoints | TRxSlider::soSmooth], 9);
    // A layer slider's points band stays as bare as the background under it.
    auto* layer = form->findChild<TRxSlider*>("Layer1slider");
    layer->setFixedSize(200, 40);
    QResizeEvent resized(layer->size(), {});
    QApplication::sendEvent(layer, &resized);
    QImage drawn(layer->size(), QImage::Format_RGB32),
        bare(layer->geometry().pointsRect.width(), 1, drawn.format());
    layer->render(&drawn);
    const QRect row(layer->geometry().pointsRect.topLeft() + QPoint(0, 1), bare.size());
    bare.fill(drawn.pixel(row.topLeft()));
    EXPECT_EQ(drawn.copy(row), bare) << "no ticks";
}

}  // namespace kestrave::test
