// What the run holds of the Align page for the other areas: the frame browser's last position
// after every kind of input, and the folders the page chooses, whoever changes them.

#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <tuple>

#include "shell/controllers/input_controller.h"
#include "shell/pages/align_page.h"
#include "shell/pages/directory_list_box.h"
#include "shell/pages/named_control.h"
#include "shell/speed_bar.h"
#include "shell_test_support.h"
#include "widgets/check_box.h"
#include "widgets/slider.h"

namespace kestrave::test {

namespace {

struct AlignPageRunTest : ShellWindowTest {
    std::vector<std::filesystem::path> writeFrames(const std::string& stem, int count) {
        std::vector<std::filesystem::path> files;
        for (int k = 0; k < count; ++k) {
            files.push_back(dir / (stem + std::to_string(100 + k) + ".bmp"));
            QImage picture(8, 6, QImage::Format_RGB888);
            picture.fill(QColor(k * 9, k * 9, k * 9));
            picture.save(QString::fromStdString(files.back().string()));
        }
        return files;
    }
    void select(const std::vector<std::filesystem::path>& files) {
        pieces(*form).input->chooseInput = [files] {
            ChosenInput chosen{{}, InputFilter::BMP};
            for (const auto& file : files) chosen.files.push_back(file.string());
            return chosen;
        };
        pieces(*form).Speedbar->Selectbutton->click();
    }

    TempDir dir;
    AlignPage& align = *pieces(*form).alignPage;
};

}  // namespace

// The other areas read the browser's last position from the run: it is the frame slider's on
// every path, a single picture (which leaves the slider's range as it was) and an emptied list
// (whose range still ends at 1) among them.
TEST_F(AlignPageRunTest, TheRunHoldsTheFrameSlidersLastPositionOnEveryInput) {
    const auto twenty = writeFrames("f", 20);
    const auto twelve = writeFrames("g", 12);
    const auto single = writeFrames("s", 1);
    // The expected position where the step sets it; -1 where the run need only agree with the
    // slider.
    const std::tuple<const char*, std::function<void()>, int> steps[] = {
        {"before any input", [] {}, 1},
        {"a series of twenty", [&] { select(twenty); }, 19},
        {"a series of twelve", [&] { select(twelve); }, 11},
        {"the list emptied", [&] { control<QPushButton>(*form, "Emptyframelistbutton")->click(); }, 1},
        {"a series of twenty again", [&] { select(twenty); }, 19},
        {"a single picture after it", [&] { select(single); }, -1},
    };
    for (const auto& [step, run, expected] : steps) {
        run();
        const int shown = control<TRxSlider>(align, "PreviewSlider")->MaxValue();
        if (expected >= 0) {
            EXPECT_EQ(shown, expected) << step;
        }
        EXPECT_EQ(context.pipeline.input().browseLast, shown) << step;
    }
}

// The folders the save dialogs and the project and box dialogs open in are the page's, whether
// the user or the program changed them.
TEST_F(AlignPageRunTest, TheRunFollowsTheFoldersThePageChooses) {
    const SaveFolderChoice& folders = context.pipeline.folders();
    auto& folder = *control<TDirectoryListBox>(align, "DirectoryListBox1");
    auto& subfolder = *control<TPCheck>(align, "Savesubcontrol");
    auto& name = *control<QLineEdit>(align, "Subdirname");
    EXPECT_EQ(folders.directory, folder.Directory());

    folder.setDirectory(dir.path() / "elsewhere");
    EXPECT_EQ(folders.directory, dir.path() / "elsewhere");
    // The subfolder's name can be typed only while the box is ticked.
    EXPECT_FALSE(name.isEnabled());
    QTest::mouseClick(&subfolder, Qt::LeftButton);
    EXPECT_TRUE(name.isEnabled());
    name.setText("night");
    EXPECT_TRUE(folders.savesubcontrol);
    EXPECT_EQ(folders.subdirname, "night");
    QTest::mouseClick(&subfolder, Qt::LeftButton);
    EXPECT_FALSE(name.isEnabled());
    EXPECT_FALSE(folders.savesubcontrol);

    // An input taken moves the browser to its folder.
    select(writeFrames("f", 3));
    EXPECT_EQ(folder.Directory(), dir.path());
    EXPECT_EQ(folders.directory, dir.path());
}

}  // namespace kestrave::test
