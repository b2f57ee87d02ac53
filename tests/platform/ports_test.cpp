// Contracts of the platform ports: bitmap layout, the non-blocking message presenter, the
// unattended run's progress report, ProgramDir, the never-half-written file writer and zeroed
// blocks.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/bitmap24.h"
#include "platform/errors.h"
#include "platform/message_port.h"
#include "platform/program_dir.h"
#include "platform/progress_port.h"
#include "platform/safe_file.h"
#include "platform/zeroed_allocator.h"
#include "support/temp_dir.h"

using namespace kestrave;

TEST(Bitmap24, RowsArePaddedToFourBytesAndPixelsAreBlueGreenRed) {
    for (int w : {1, 2, 3, 4, 5, 7, 320}) {
        Bitmap24 b(w, 3);
        EXPECT_EQ(b.stride() % 4, 0u) << w;
        EXPECT_GE(b.stride(), 3u * w) << w;
        EXPECT_LT(b.stride(), 3u * w + 4) << w;
        EXPECT_EQ(b.byteCount(), b.stride() * 3);
    }
    Bitmap24 b(5, 2);
    SetRGBTriple(10, 20, 30, b.pixel(4, 1));
    const std::uint8_t* p = b.bits() + b.stride() + 12;
    EXPECT_EQ(p[0], 30);  // blue first
    EXPECT_EQ(p[1], 20);
    EXPECT_EQ(p[2], 10);
    // Padding bytes of the previous row are untouched by a pixel write.
    EXPECT_EQ(b.bits()[15], 0);
    b.fill(1, 2, 3);
    EXPECT_EQ(b.pixel(0, 0)[0], 1);
    EXPECT_EQ(b.pixel(4, 1)[2], 3);
}

TEST(BatchMessagePresenter, AnswersWithoutBlockingAndLogsCaptionAndText) {
    std::vector<std::string> lines;
    BatchMessagePresenter presenter([&](const std::string& line) { lines.push_back(line); });

    Message question{"Cancelling ...", "Do you want to cancel ?", mtConfirmation, mbYesNo};
    EXPECT_EQ(presenter.show(question), mrYes);  // first button of the set

    Message named = question;
    named.batchAnswer = mrNo;  // the call site names the unattended answer
    EXPECT_EQ(presenter.show(named), mrNo);

    EXPECT_EQ(presenter.show(Message{"Error", "x", mtError, mbOK}), mrOk);
    EXPECT_EQ(presenter.show(Message{"Q", "x", mtConfirmation, mbCancel | mbIgnore}), mrCancel);
    EXPECT_EQ(presenter.show(Message{"Q", "x", mtConfirmation, mbNo | mbAll}), mrNo);

    ASSERT_EQ(lines.size(), 5u);
    EXPECT_NE(lines[0].find("Cancelling ..."), std::string::npos);
    EXPECT_NE(lines[0].find("Do you want to cancel ?"), std::string::npos);
    EXPECT_EQ(presenter.history().size(), 5u);
    EXPECT_FALSE(presenter.messageBoxChecked());
}

TEST(MessagePort, HelpersFillTheMessageAndUnattendedRunsGiveTheNamedAnswer) {
    BatchMessagePresenter presenter([](const std::string&) {});
    EXPECT_EQ(presenter.inform("I", "i"), mrOk);
    EXPECT_EQ(presenter.warn("W", "w", "Do not repeat this message"), mrOk);
    EXPECT_EQ(presenter.error("E", "e"), mrOk);
    EXPECT_EQ(presenter.ask(mtConfirmation, "Q", "q", mbYesNo, mrNo), mrNo);
    EXPECT_EQ(presenter.ask(mtCustom, "C", "c", mbYesNoCancel, mrCancel, "box", mbNo), mrCancel);

    struct Expected {
        std::uint8_t type;
        std::uint16_t buttons, batchAnswer, focus;
        bool box;
    };
    const Expected expected[] = {{mtInformation, mbOK, mrNone, 0, false},
                                 {mtWarning, mbOK, mrNone, 0, true},
                                 {mtError, mbOK, mrNone, 0, false},
                                 {mtConfirmation, mbYesNo, mrNo, 0, false},
                                 {mtCustom, mbYesNoCancel, mrCancel, mbNo, true}};
    const std::vector<Message>& shown = presenter.history();
    ASSERT_EQ(shown.size(), std::size(expected));
    for (std::size_t i = 0; i < shown.size(); ++i) {
        SCOPED_TRACE(shown[i].caption);
        EXPECT_EQ(shown[i].dlgType, expected[i].type);
        EXPECT_EQ(shown[i].buttons, expected[i].buttons);
        EXPECT_EQ(shown[i].batchAnswer, expected[i].batchAnswer);
        EXPECT_EQ(shown[i].defaultButton, expected[i].focus);
        EXPECT_EQ(shown[i].showCheckBox, expected[i].box);
    }
    EXPECT_EQ(shown[1].checkBoxCaption, "Do not repeat this message");
    EXPECT_EQ(shown[4].text, "c");
}

// Two steps as a batch run drives them: an alignment of 1000 frames that reports every frame and
// never reaches its maximum, then a second pass of 3; a stack of 10 frames that stops at the 5th.
std::string reportOf(bool terminal) {
    std::ostringstream out;
    StderrProgress progress(out, terminal);
    progress.setPosition(5);  // outside a step: nothing
    progress.beginStep("Aligning the frames");
    progress.setMaximum(1000);
    for (int frame = 0; frame < 1000; ++frame) progress.setPosition(frame);
    progress.setMaximum(3);
    for (int frame = 1; frame <= 3; ++frame) progress.setPosition(frame);
    progress.setStatus(2, "Processing frame :3");
    progress.endStep(true);
    progress.beginStep("Stacking");
    progress.setMaximum(10);
    for (int frame = 0; frame < 5; ++frame) progress.setPosition(frame);
    progress.endStep(false);
    progress.setPosition(7);
    return out.str();
}

TEST(StderrProgress, ALogGetsALineAtEachQuarterOfAPassAndEveryStepItsEnd) {
    EXPECT_EQ(reportOf(false),
              "Aligning the frames: 0%\n"
              "Aligning the frames: 25%\n"
              "Aligning the frames: 50%\n"
              "Aligning the frames: 75%\n"
              "Aligning the frames, pass 2: 33%\n"
              "Aligning the frames, pass 2: 66%\n"
              "Aligning the frames, pass 2: 100%\n"
              "Aligning the frames: 100%\n"
              "Stacking: 0%\n"
              "Stacking: 30%\n"
              "Stacking: stopped at 40%\n");
}

TEST(StderrProgress, ATerminalGetsOneLinePerStepWithThePercentageRewrittenInPlace) {
    const std::string report = reportOf(true);
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 2) << "one line per step";
    // Every whole percent shows, each once: the 1000 positions of the first pass write 0..99.
    EXPECT_NE(report.find("\r\x1b[KAligning the frames: 57%\r"), std::string::npos);
    EXPECT_NE(report.find("\r\x1b[KAligning the frames, pass 2: 66%\r"), std::string::npos);
    std::size_t writes = 0;
    for (std::size_t at = report.find("\x1b[K"); at != std::string::npos; at = report.find("\x1b[K", at + 1))
        ++writes;
    EXPECT_LE(writes, 120u) << "not a write per position";
    EXPECT_NE(report.find("\r\x1b[KAligning the frames: 100%\n"), std::string::npos);
    EXPECT_TRUE(report.ends_with("\r\x1b[KStacking: stopped at 40%\n"));
}

TEST(ProgramDir, FollowsKestraveHomeThenXdgConfigHome) {
    test::TempDir root;
    {
        const test::EnvironmentScope home("KESTRAVE_HOME", (root / "home").c_str());
        EXPECT_EQ(ProgramDir(), root / "home");
        EXPECT_TRUE(std::filesystem::is_directory(root / "home"));  // created on first use
    }
    {
        const test::EnvironmentScope home("KESTRAVE_HOME", nullptr);
        const test::EnvironmentScope xdg("XDG_CONFIG_HOME", (root / "xdg").c_str());
        EXPECT_EQ(ProgramDir(), root / "xdg" / "kestrave");
    }

    test::ProgramDirScope scope;
    std::ofstream(scope.path() / "lang_de.txt") << "x";
    EXPECT_EQ(findResource("lang_de.txt"), scope.path() / "lang_de.txt");
    EXPECT_TRUE(findResource("no-such-resource.txt").empty());
}

TEST(SafeFileWriter, ReplacesOnlyOnCommitAndKeepsTheOldFileOnFailure) {
    test::TempDir dir;
    const auto target = dir / "result.txt";
    writeFileAtomically(target, "old");
    {
        SafeFileWriter w(target);
        w.write("new contents");
        // Not committed: the old file stays and no temporary file is left behind.
    }
    auto bytes = readWholeFile(target);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

    writeFileAtomically(target, "new");
    bytes = readWholeFile(target);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "new");

    if (geteuid() != 0) {  // root may write anywhere
        std::filesystem::create_directory(dir / "ro");
        chmod((dir / "ro").c_str(), 0500);
        EXPECT_THROW(writeFileAtomically(dir / "ro" / "x.txt", "x"), FileError);
    }
    EXPECT_THROW(writeFileAtomically(dir / "missing-folder" / "x.txt", "x"), FileError);
    EXPECT_THROW(readWholeFile(dir / "absent"), FileError);
}

TEST(ZeroedAllocator, BlocksReadAsZeroEvenWhereTheMemoryWasUsedBefore) {
    for (std::size_t bytes : {std::size_t{1}, std::size_t{4095}, std::size_t{(256 << 10) - 1},
                              std::size_t{(256 << 10) + 3}, std::size_t{(3 << 20) + 5}}) {
        for (int round = 0; round < 3; ++round) {
            void* used = ::operator new(bytes);
            std::memset(used, 0xAB, bytes);
            ::operator delete(used);
            auto* block = static_cast<unsigned char*>(allocateZeroed(bytes));
            EXPECT_EQ(std::count(block, block + bytes, 0), static_cast<std::ptrdiff_t>(bytes)) << bytes;
            std::memset(block, 0xCD, bytes);
            ::operator delete(block);
        }
    }
    // Copies and filled vectors still write their values.
    std::vector<float, ZeroedAllocator<float>> filled(100000, 2.5f);
    const std::vector<float, ZeroedAllocator<float>> copy = filled;
    EXPECT_EQ(std::count(copy.begin(), copy.end(), 2.5f), 100000);
}
