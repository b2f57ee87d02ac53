// Sigma clipping and the "Sigma event recording" window on the offscreen platform: a recording
// run that clips a transient, lists, shows and keeps its events; a sigma stack that is cancelled
// or declined; the event box file; the frame-number box and the frame steps of the viewer.

#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <fstream>
#include <sstream>

#include "persist/big_ini_file.h"
#include "shell/controllers/sigma_controller.h"
#include "shell/pages/align_page.h"
#include "shell/pages/frame_windows.h"
#include "shell/pages/named_control.h"
#include "shell/pages/sigma_events_window.h"
#include "shell/pages/stack_page.h"
#include "stack_page_support.h"
#include "wavelet_page_support.h"
#include "widgets/check_box.h"
#include "widgets/radio_group.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave::test {

namespace fs = std::filesystem;

namespace {

std::string fileText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> lines(const QListWidget& list) {
    std::vector<std::string> texts;
    for (int i = 0; i < list.count(); ++i) texts.push_back(list.item(i)->text().toStdString());
    return texts;
}

bool shown(const ScriptedPresenter& presenter, const std::string& text) {
    for (const Message& message : presenter.shown)
        if (message.text == text) return true;
    return false;
}

// The input "saturn.avi" in a folder of its own; 16 flat frames of 100, one with a transient of
// 250 at (20, 15).
struct SigmaWindowTest : StackPageTest {
    SigmaWindowTest() {
        editRun(context.pipeline).input.inputFolder = dir.path();
        editRun(context.pipeline).model.AviName = "saturn.avi";
        addTransient(5);
    }
    void addTransient(int frame) {
        fillFrames(100.0f);
        frames.frames[static_cast<std::size_t>(frame)][20][15] = 250.0f;
    }

    TempDir dir;
};

TEST_F(SigmaWindowTest, RecordingRunClipsListsShowsAndKeepsItsEvents) {
    StackPage& page = *pieces(*form).stackPage;
    control<TRxSpeedButton>(page, "Recordingbutton")->click();
    EXPECT_TRUE(pieces(*form).tools.Sigmaevents->isVisible());
    // The default box: margin 10 around the 40 x 30 stack.
    EXPECT_EQ(control<TRxSpinEdit>(*form, "Sigmaboxleft")->Value(), 10);
    EXPECT_EQ(control<TRxSpinEdit>(*form, "Sigmaboxright")->Value(), 30);
    EXPECT_EQ(control<TRxSpinEdit>(*form, "Sigmaboxbottom")->Value(), 20);
    EXPECT_FALSE(control<QPushButton>(*form, "LoaDevent")->isEnabled());

    control<QPushButton>(*form, "Start")->click();
    // The transient is clipped (the plain mean would be 109).
    EXPECT_EQ(shownGrey(20, 15), 100);
    EXPECT_FALSE(control<TPCheck>(page, "Statistical")->Checked() ||
                 control<TPCheck>(*form, "Recordsigma")->Checked());
    EXPECT_FALSE(context.pipeline.stack().result.SigmaFinalPass);
    EXPECT_EQ(lines(*control<QListWidget>(*form, "Sigmalist")),
              std::vector<std::string>{"Frame6 Events (max: 1)"});
    EXPECT_TRUE(control<QPushButton>(*form, "LoaDevent")->isEnabled());
    const fs::path kept = dir / "saturn.kel";
    EXPECT_EQ(fileText(kept), fileText(dir / "Sigmaini.ini"));

    // Choosing the line lists its keys and circles the event on the frame's rank.
    control<QListWidget>(*form, "Sigmalist")->setCurrentRow(0);
    const std::vector<std::string> keys = lines(*control<QListWidget>(*form, "Eventlist"));
    ASSERT_GE(keys.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(keys.begin(), keys.begin() + 4),
              (std::vector<std::string>{"Events=1", "X1=20", "Y1=15", "Pixval1=250"}));
    EXPECT_EQ(control<TRxSlider>(*form, "StackSlider")->Value(), 5);
    EXPECT_EQ(control<QLabel>(*form, "CurrentEventnumber")->text(), "Events 1");
    EXPECT_EQ(shownPicture().pixel(0, 15), qRgb(255, 255, 0));

    // A factor above the event's ratio (500) relabels the line and circles nothing.
    control<TRxSpinEdit>(*form, "Sigmaeventsigma")->setValue(6.0);
    EXPECT_EQ(lines(*control<QListWidget>(*form, "Sigmalist")), std::vector<std::string>{"Frame6 Events No"});
    EXPECT_EQ(control<QLabel>(*form, "CurrentEventnumber")->text(), "Events 0");

    // A second run of the input logs its own events, and the list shows them from the log; the
    // saved list stays the first run's.
    const std::string firstRun = fileText(kept);
    addTransient(9);
    control<TRxSpinEdit>(*form, "Sigmaeventsigma")->setValue(2.0);
    control<TRxSlider>(*form, "StackSlider")->setValue(Count - 1);
    control<QPushButton>(*form, "Start")->click();
    EXPECT_EQ(fileText(kept), firstRun);
    control<QPushButton>(*form, "LoaDevent")->click();
    EXPECT_EQ(lines(*control<QListWidget>(*form, "Sigmalist")).size(), 1u);
    EXPECT_TRUE(lines(*control<QListWidget>(*form, "Sigmalist")).front().starts_with("Frame10 "))
        << lines(*control<QListWidget>(*form, "Sigmalist")).front();
    std::vector<std::string> sections;
    TBigIniFile(dir / "Sigmaini.ini").ReadSections(sections);
    EXPECT_EQ(sections, std::vector<std::string>{"Frame10"});
}

TEST_F(SigmaWindowTest, CancelledOrDeclinedSigmaStackLeavesThePreviousStack) {
    StackPage& page = *pieces(*form).stackPage;
    // The sigma stack is the "Start" of its own option tab.
    const auto* start = control<TRxSpeedButton>(page, "Statisticalstackbutton");
    const auto* tabs = control<QTabWidget>(page, "glPageControl3");
    EXPECT_EQ(start->text(), "Start");
    for (int i = 0; i < tabs->count(); ++i) {
        if (tabs->widget(i)->isAncestorOf(start)) {
            EXPECT_EQ(tabs->tabText(i), "   Sigma Clipping   ");
        }
    }
    control<TRxSpeedButton>(page, "Stackbutton")->click();
    ASSERT_EQ(shownGrey(5, 5), 100);

    // A cancel in the statistics pass ends the run: no clipped pass, nothing new shown.
    fillFrames(200.0f);
    cancelOnRead(6);
    messages.reply(mrYes);
    const int readsBefore = frames.reads.load();
    control<TRxSpeedButton>(page, "Statisticalstackbutton")->click();
    EXPECT_LE(frames.reads.load() - readsBefore, Count);  // the clipped pass read nothing
    EXPECT_EQ(shownGrey(5, 5), 100);
    EXPECT_FALSE(control<TPCheck>(page, "Statistical")->Checked());
    EXPECT_FALSE(context.pipeline.stack().result.SigmaFinalPass);
    EXPECT_TRUE(page.isEnabled());
    frames.onRead = nullptr;

    // Resampling asks first: No changes nothing, Yes switches it off and stacks.
    const std::string question = " Drizzling/Resampling is not available during sigma-clipping, continue ?";
    control<TPCheck>(page, "Resampled")->setChecked(true);
    messages.reply(mrNo);
    control<TRxSpeedButton>(page, "Statisticalstackbutton")->click();
    EXPECT_TRUE(shown(messages, question));
    EXPECT_TRUE(control<TPCheck>(page, "Resampled")->Checked());
    EXPECT_EQ(shownGrey(5, 5), 100);
    messages.reply(mrYes);
    control<TRxSpeedButton>(page, "Statisticalstackbutton")->click();
    EXPECT_FALSE(control<TPCheck>(page, "Resampled")->Checked());
    EXPECT_EQ(shownGrey(5, 5), 200);
}

TEST_F(SigmaWindowTest, BoxFileFrameNumberBoxAndFrameSteps) {
    auto scripted = std::make_unique<ScriptedFileDialogs>();
    ScriptedFileDialogs& dialogs = *scripted;
    context.setDialogs(std::move(scripted));
    const auto setBox = [this](int top, int left, int right, int bottom) {
        control<TRxSpinEdit>(*form, "Sigmaboxtop")->setValue(top);
        control<TRxSpinEdit>(*form, "Sigmaboxleft")->setValue(left);
        control<TRxSpinEdit>(*form, "Sigmaboxright")->setValue(right);
        control<TRxSpinEdit>(*form, "Sigmaboxbottom")->setValue(bottom);
    };
    const fs::path box = dir / "box.ksb";
    setBox(5, 6, 30, 25);
    control<TRadioGroup>(*form, "INCLEXCLbox")->setItemIndex(1);
    dialogs.willChoose(box);
    control<QPushButton>(*form, "Saveedgebox")->click();
    EXPECT_EQ(fileText(box), "[Edges]\r\nType=1\r\nTop=5\r\nBottom=25\r\nLeft=6\r\nRight=30\r\n\r\n");

    // Declining the overwrite keeps the file; loading it brings the box back.
    setBox(0, 0, 40, 30);
    control<TRadioGroup>(*form, "INCLEXCLbox")->setItemIndex(0);
    dialogs.willChoose(box);
    messages.reply(mrNo);
    control<QPushButton>(*form, "Saveedgebox")->click();
    EXPECT_TRUE(shown(messages, " overwrite existing boxsettings ?"));
    EXPECT_EQ(fileText(box), "[Edges]\r\nType=1\r\nTop=5\r\nBottom=25\r\nLeft=6\r\nRight=30\r\n\r\n");
    dialogs.willChoose(box);
    control<QPushButton>(*form, "Loadedgebox")->click();
    EXPECT_EQ(control<TRadioGroup>(*form, "INCLEXCLbox")->ItemIndex(), 1);
    EXPECT_EQ(
        std::vector<double>({static_cast<double>(control<TRxSpinEdit>(*form, "Sigmaboxtop")->Value()),
                             static_cast<double>(control<TRxSpinEdit>(*form, "Sigmaboxleft")->Value()),
                             static_cast<double>(control<TRxSpinEdit>(*form, "Sigmaboxright")->Value()),
                             static_cast<double>(control<TRxSpinEdit>(*form, "Sigmaboxbottom")->Value())}),
        std::vector<double>({5, 6, 30, 25}));

    // "Goto Frame" is 1-based and kept within the frames.
    AlignPage& align = *pieces(*form).alignPage;
    control<TRxSlider>(align, "PreviewSlider")->setMaxValue(Count - 1);
    control<TRxSpinEdit>(align, "Sliderset")->setMaxValue(Count);
    for (const auto& [typed, frame] :
         std::vector<std::pair<const char*, int>>{{"7", 6}, {"0", 0}, {"16", 15}}) {
        control<TRxSlider>(align, "PreviewSlider")->setValue(3);
        control<TRxSpinEdit>(align, "Sliderset")->setText(typed);
        EXPECT_EQ(control<TRxSlider>(align, "PreviewSlider")->Value(), frame) << typed;
    }
    EXPECT_EQ(control<TRxSpinEdit>(align, "Sliderset")->Value(), 16);

    // The frame steps stop at the first and the last frame.
    TRxSlider& ranks = *control<TRxSlider>(*form, "StackSlider");
    SigmaController& sigma = *pieces(*form).sigma;
    sigma.ShownEventFrame = 0;
    ranks.setValue(9);
    control<QPushButton>(*form, "PreviousFrame")->click();
    EXPECT_EQ(ranks.Value(), 9);
    control<QPushButton>(*form, "NextFrame")->click();
    EXPECT_EQ(sigma.ShownEventFrame, 1);
    EXPECT_EQ(ranks.Value(), 1);
    sigma.ShownEventFrame = Count - 1;
    control<QPushButton>(*form, "NextFrame")->click();
    EXPECT_EQ(sigma.ShownEventFrame, Count - 1);
}

}  // namespace
}  // namespace kestrave::test
