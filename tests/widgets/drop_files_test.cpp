// The drop target: which names a drop of files and folders yields under each option set, and
// the one-per-window rule.

#include <gtest/gtest.h>

#include <QWidget>

#include <filesystem>
#include <fstream>

#include "support/qt_test_application.h"
#include "support/temp_dir.h"
#include "widgets/drop_files.h"

namespace kestrave {
namespace {

TEST(DropFilesExpand, FoldersAndFilesFollowTheOptionsAndALinkLoopEnds) {
    test::TempDir dir;
    const std::filesystem::path a = dir / "a";
    std::filesystem::create_directories(a / "sub");
    std::ofstream(a / "x.bmp") << "x";
    std::ofstream(a / "sub" / "y.bmp") << "y";
    std::filesystem::create_directory_symlink(a, a / "loop");
    const std::string z = (dir / "z.bmp").string();
    std::ofstream(z) << "z";
    const std::string s = a.string();

    struct Case {
        DropFileOptions options;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {{true, true, false}, {s, z}},
        {{false, true, false}, {z}},
        {{true, false, false}, {s}},
        {{true, true, true}, {s, s + "/sub", s + "/sub/y.bmp", s + "/x.bmp", z}},
        {{false, true, true}, {s + "/sub/y.bmp", s + "/x.bmp", z}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(expandDroppedNames({s, z}, c.options), c.names)
            << c.options.dfoIncFolders << c.options.dfoIncFiles << c.options.dfoRecurseFolders;
}

TEST(DropFiles, OnlyAWindowOwnsOneDropTarget) {
    test::app();
    QWidget window;
    window.setObjectName("MainForm");
    QWidget child(&window);
    try {
        TPJFormDropFiles target(&child);
        FAIL() << "a control that is no window took a drop target";
    } catch (const std::invalid_argument& error) {
        EXPECT_STREQ(error.what(), "TPJFormDropFiles owner must be a form");
    }
    auto* first = new TPJFormDropFiles(&window);
    first->setObjectName("PJFormDropFiles1");
    EXPECT_TRUE(window.acceptDrops());
    try {
        TPJFormDropFiles second(&window);
        FAIL() << "a second drop target was accepted";
    } catch (const std::invalid_argument& error) {
        EXPECT_STREQ(error.what(),
                     "Only one TPJFormDropFiles component is permitted on a form: PJFormDropFiles1 "
                     "is already present on MainForm");
    }
    first->setEnabled(false);
    EXPECT_FALSE(window.acceptDrops());
}

}  // namespace
}  // namespace kestrave
