// What the calibration frames' operations announce of the switches that use them: the frame named
// in the dialog is used, a project's frame is offered, a FITS frame makes the input grey, and a
// load that fails switches its kind off (a FITS file too large is no longer offered).

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "frames/image_data_section.h"
#include "pipeline/pipeline.h"
#include "support/scripted_messages.h"
#include "support/temp_dir.h"

namespace kestrave::test {

namespace {

// A FITS header that says the file is wider than any frame may be.
void writeHugeFits(const std::filesystem::path& file) {
    std::string header;
    const auto card = [&header](const std::string& text) {
        std::string line = text;
        line.resize(80, ' ');
        header += line;
    };
    card("SIMPLE  =                    T");
    card("BITPIX  =                   16");
    card("NAXIS   =                    2");
    card("NAXIS1  =               100000");
    card("NAXIS2  =                    4");
    card("END");
    header.resize(2880, ' ');
    std::ofstream(file, std::ios::binary) << header;
}

}  // namespace

TEST(CalibrationSwitching, EachOperationAnnouncesWhatBecameOfItsSwitch) {
    TempDir dir;
    writeHugeFits(dir / "huge.fit");
    struct Case {
        const char* name;
        std::function<void(Pipeline&, MessagePort&)> run;
        CalibrationSwitching expected;
    };
    const Case cases[] = {
        {"a dark frame named in the dialog is used",
         [&](Pipeline& p, MessagePort&) {
             p.nameCalibrationFile(CalibrationKind::Dark, dir / "dark.bmp", BitmapCalibration);
         },
         {.kind = CalibrationKind::Dark, .used = true}},
        {"a project's missing flat field is offered, then switched off",
         [&](Pipeline& p, MessagePort& m) {
             p.loadCalibrationFile(CalibrationKind::Flat, dir / "gone.bmp", BitmapCalibration,
                                   CalibrationOrigin::Project, m);
         },
         {.kind = CalibrationKind::Flat, .flatOff = true}},
        {"a FITS dark too large for the dialog is refused",
         [&](Pipeline& p, MessagePort& m) {
             p.loadCalibrationFile(CalibrationKind::Dark, dir / "huge.fit", FitsCalibration,
                                   CalibrationOrigin::Dialog, m);
         },
         {.kind = CalibrationKind::Dark, .darkOff = true, .refused = true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Pipeline pipeline;
        ScriptedMessages messages;
        std::vector<CalibrationSwitching> heard;
        const auto subscription = pipeline.subscribe([&](PipelineChange change) {
            if (change == PipelineChange::Calibration) heard.push_back(pipeline.calibrationSwitching());
        });
        try {
            c.run(pipeline, messages);
        } catch (const CalibrationError&) {
        }
        ASSERT_FALSE(heard.empty());
        const CalibrationSwitching& last = heard.back();
        EXPECT_EQ(last.kind, c.expected.kind);
        EXPECT_EQ(last.used, c.expected.used);
        EXPECT_EQ(last.darkOff, c.expected.darkOff);
        EXPECT_EQ(last.flatOff, c.expected.flatOff);
        EXPECT_EQ(last.refused, c.expected.refused);
        EXPECT_FALSE(last.rawDarkOff);
    }
}

// A project's FITS frame is offered and makes the input grey before it is read.
TEST(CalibrationSwitching, AProjectsFitsFrameIsOfferedAndMakesTheInputGrey) {
    TempDir dir;
    Pipeline pipeline;
    ScriptedMessages messages;
    std::vector<CalibrationSwitching> heard;
    const auto subscription = pipeline.subscribe([&](PipelineChange change) {
        if (change == PipelineChange::Calibration) heard.push_back(pipeline.calibrationSwitching());
    });
    EXPECT_THROW(pipeline.loadCalibrationFile(CalibrationKind::Dark, dir / "gone.fit", FitsCalibration,
                                              CalibrationOrigin::Project, messages),
                 CalibrationError);
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_TRUE(heard[0].offered);
    EXPECT_TRUE(heard[0].grey);
    EXPECT_FALSE(heard[0].darkOff);
    EXPECT_TRUE(heard[1].darkOff);
    EXPECT_FALSE(heard[1].refused);
}

}  // namespace kestrave::test
