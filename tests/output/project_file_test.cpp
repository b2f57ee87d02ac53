// Project files: the exact text a save writes, the round trip of a synthesised piece of work
// through a file (also under a German numeric locale), the older single-point form, and damaged
// or hostile projects, which are refused or clipped with a message and never overrun a table.

#include <gtest/gtest.h>

#include <clocale>
#include <fstream>
#include <locale>
#include <random>
#include <sstream>

#include "output/project_file.h"
#include "output/project_model.h"
#include "platform/safe_file.h"
#include "support/temp_dir.h"

using namespace kestrave;
using namespace kestrave::test;
namespace fs = std::filesystem;

namespace {

std::string fileText(const fs::path& path) {
    const std::vector<std::uint8_t> bytes = readWholeFile(path);
    return {bytes.begin(), bytes.end()};
}

void writeText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// Lines joined with CR LF, each section followed by an empty line.
std::string crlf(std::initializer_list<const char*> lines) {
    std::string text;
    for (const char* line : lines) text.append(line).append("\r\n");
    return text;
}

// A video project of 3 frames with 2 alignment points and interlaced frames.
ProjectData threeFrameProject() {
    ProjectData p;
    p.filedir = "/data/moon";
    p.AviName = "/data/moon/moon.avi";
    p.sequencelength = 3;
    p.progstatus = 2;
    p.activepage = 1;
    p.usedframes = 3;
    p.refframe = 1;
    p.points = {{100, 80, 64}, {300, 200, 128}};
    p.resamplevalue = 2;
    p.excluded = {false, true, false};
    p.slots = {{{1, -2, 12.5f, 0.1f}, {3, 4, 0.0f, 1e16f}, {0, 0, -3.75f, 2.5e-6f}},
               {{5, 6, 1.0f, 2.0f}, {-7, 8, 3.0f, 4.0f}, {9, 10, 5.0f, 6.0f}}};
    p.interlaced = {{{1, 1, 0.5f, 0.25f}, {2, 2, 0.0f, 0.0f}, {3, 3, 1.0f, 1.0f}}};
    p.ranking = {2, 0, 1};
    p.formLines = {"Processarea_Text=512", "interlaced_Checked=1"};
    return p;
}

const std::string GoldenProject = crlf({
    "[Input]",
    "filetype=AVI",
    "filedir=/data/moon",
    "avicount=0",
    "filename=/data/moon/moon.avi",
    "sequencelength=3",
    "progstatus=2",
    "activepage=1",
    "usedframes=3",
    "refframe=1",
    "Alignpoints=2",
    "hotx1=100",
    "hoty1=80",
    "hotFFT1=64",
    "hotx2=300",
    "hoty2=200",
    "hotFFT2=128",
    "stackx=0",
    "stacky=0",
    "resampled=no",
    "resamplevalue=2",
    "Ex0=0",
    "Ex1=1",
    "Ex2=0",
    "",
    "[Shifts1]",
    "X0=1",
    "Y0=-2",
    "X1=3",
    "Y1=4",
    "X2=0",
    "Y2=0",
    "",
    "[Shifts2]",
    "X0=5",
    "Y0=6",
    "X1=-7",
    "Y1=8",
    "X2=9",
    "Y2=10",
    "",
    "[Info1]",
    "D0=12.5",
    "Q0=0.100000001490116",
    "D1=0",
    "Q1=1.00000002725642E16",
    "D2=-3.75",
    "Q2=2.49999993684469E-6",
    "",
    "[Info2]",
    "D0=1",
    "Q0=2",
    "D1=3",
    "Q1=4",
    "D2=5",
    "Q2=6",
    "",
    "[IShifts]",
    "Xa0=1",
    "Ya0=1",
    "Xa1=2",
    "Ya1=2",
    "Xa2=3",
    "Ya2=3",
    "",
    "[IInfo]",
    "Da0=0.5",
    "Qa0=0.25",
    "Da1=0",
    "Qa1=0",
    "Da2=1",
    "Qa2=1",
    "",
    "[Ranking]",
    "Rank0=2",
    "Rank1=0",
    "Rank2=1",
    "",
    "[Form]",
    "Processarea_Text=512",
    "interlaced_Checked=1",
    "",
});

// A model after alignment: seeded shifts, qualities and differences in every slot used, some
// frames excluded, a ranking by slot 0's quality.
struct Work {
    FrameModel model;
    ProgramState state;
    AlignmentPoints points;
    ProjectControls controls;
};

void synthesise(Work& w, int frames, int pointCount, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> shift(-40, 40);
    std::uniform_real_distribution<float> value(0.0f, 500.0f);
    w.model.InputType = TInputType::itAVI;
    w.model.setAviSegment(0, "/data/jupiter/jupiter.avi", frames);
    w.model.usedframes = frames - 2;
    for (int i = 0; i < frames; ++i) {
        TFrameRec& record = w.model.FrameTable[i];
        record.Excluded = i % 7 == 3;
        for (int s = 0; s <= std::max(pointCount, 2); ++s) {
            TAlignSlotRec& slot = record.Slots[s];
            slot.X = slot.SavedX = shift(random);
            slot.Y = slot.SavedY = shift(random);
            slot.Quality = value(random);
            slot.Difference = value(random) / 3.0f;
        }
        w.model.FrameRanking[frames - 1 - i].Frame = i;
    }
    w.state.progstatus = TProgStatus::psOptimized;
    w.state.FeatureX = 321;
    w.state.FeatureY = 123;
    w.state.stackx = 300;
    w.state.stacky = 150;
    if (pointCount > 1) {
        std::vector<AlignPoint> placed;
        for (int n = 1; n <= pointCount; ++n) placed.push_back({10 * n, 20 * n, n % 2 ? 64 : 128});
        setAlignPoints(w.points, placed);
        w.points.Alignpoints = pointCount;
        w.points.MultiPointMode = true;
    }
    w.controls.lastFrame = frames - 1;
    w.controls.refframe = 4;
    w.controls.interlaced = true;
    w.controls.FFTSize = 256;
    w.controls.shownPage = 3;
    w.controls.formLines = {"LevelStep_Value=2", "Resampled_Checked=0"};
}

// Saves the work, loads it into fresh state and compares what a project restores.
void expectRoundTrip(const Work& saved, ProjectForm form, const fs::path& file) {
    writeProject(file, captureProject(saved.model, saved.state, saved.points, saved.controls, form));
    const ProjectRead read = readProject(file);
    EXPECT_TRUE(read.problems.empty());
    Work loaded;
    NullProgress silent;
    applyProject(read.project, loaded.model, loaded.points, loaded.state, true, silent);

    const bool multi = saved.points.MultiPointMode;
    const int frames = saved.controls.lastFrame + 1;
    for (int i = 0; i < frames; ++i) {
        SCOPED_TRACE("frame " + std::to_string(i));
        const TFrameRec& before = saved.model.FrameTable[i];
        const TFrameRec& after = loaded.model.FrameTable[i];
        EXPECT_EQ(after.Excluded, before.Excluded);
        // Slot 0 comes back whole; a multi-point project keeps the points' slots and gives slot 0
        // point 1's alignment.
        const TAlignSlotRec& slot0 = multi ? before.Slots[1] : before.Slots[0];
        for (int s = multi ? 1 : 0; s <= (multi ? saved.points.Alignpoints : 0); ++s) {
            EXPECT_EQ(after.Slots[s].X, before.Slots[s].X);
            EXPECT_EQ(after.Slots[s].SavedY, before.Slots[s].Y);
            EXPECT_EQ(after.Slots[s].Quality, before.Slots[s].Quality);
            EXPECT_EQ(after.Slots[s].Difference, before.Slots[s].Difference);
        }
        EXPECT_EQ(after.Slots[0].Y, slot0.Y);
        EXPECT_EQ(after.Slots[0].Quality, slot0.Quality);
        if (form == ProjectForm::Full) {
            EXPECT_EQ(after.Slots[2].Quality, before.Slots[2].Quality);
        }
        const TRankRec& rank = loaded.model.FrameRanking[i];
        EXPECT_EQ(rank.Frame, saved.model.FrameRanking[i].Frame);
        EXPECT_EQ(rank.Key, loaded.model.FrameTable[rank.Frame].Slots[0].Quality);
    }
    EXPECT_EQ(loaded.points.MultiPointMode, multi);
    EXPECT_EQ(loaded.points.Alignpoints, multi ? saved.points.Alignpoints : 1);
    for (int n = 1; multi && n <= saved.points.Alignpoints; ++n) {
        EXPECT_EQ(loaded.points.PointPos[n].X, saved.points.PointPos[n].X);
        EXPECT_EQ(loaded.points.PointFFTIndex[n], saved.points.PointFFTIndex[n]);
    }
    const int featureX = multi ? saved.points.PointPos[1].X : saved.state.FeatureX;
    EXPECT_EQ(loaded.state.FeatureX, featureX);
    EXPECT_EQ(loaded.state.progstatus, saved.state.progstatus);
    EXPECT_EQ(loaded.state.stacky, saved.state.stacky);
    EXPECT_EQ(loaded.model.usedframes, saved.model.usedframes);
    EXPECT_EQ(read.project.refframe, saved.controls.refframe);
    EXPECT_EQ(read.project.formLines, saved.controls.formLines);
    EXPECT_EQ(read.project.AviName, "/data/jupiter/jupiter.avi");
}

// Sets the C and C++ numeric locales for the scope; false when the system lacks the locale.
class LocaleScope {
public:
    explicit LocaleScope(const char* name) : previous_(std::setlocale(LC_ALL, nullptr)), cxx_(std::locale()) {
        ok_ = std::setlocale(LC_ALL, name) != nullptr;
        if (ok_) std::locale::global(std::locale(name));
    }
    ~LocaleScope() {
        std::setlocale(LC_ALL, previous_.c_str());
        std::locale::global(cxx_);
    }
    bool ok() const { return ok_; }

private:
    std::string previous_;
    std::locale cxx_;
    bool ok_ = false;
};

}  // namespace

TEST(ProjectFloats, WrittenWithAPointAndReadWithEitherSeparator) {
    for (const auto& [value, text] :
         std::vector<std::pair<double, std::string>>{{0.0, "0"},
                                                     {12.5, "12.5"},
                                                     {-3.75, "-3.75"},
                                                     {1e15, "1E15"},
                                                     {1.5e-6, "1.5E-6"},
                                                     {0.0001, "0.0001"},
                                                     {123456789012345.0, "123456789012345"},
                                                     {2.0 / 3.0, "0.666666666666667"}}) {
        EXPECT_EQ(projectFloatText(value), text);
    }
    for (const auto& [text, value] :
         std::vector<std::pair<std::string, std::optional<float>>>{{"12,5", 12.5f},
                                                                   {" 1E15 ", 1e15f},
                                                                   {"-2,5E-3", -2.5e-3f},
                                                                   {"+7", 7.0f},
                                                                   {"", std::nullopt},
                                                                   {"inf", std::nullopt},
                                                                   {"nan", std::nullopt},
                                                                   {"1e39", std::nullopt},
                                                                   {"1,2,3", std::nullopt},
                                                                   {"1e", std::nullopt},
                                                                   {"0x10", std::nullopt},
                                                                   {"+-1", std::nullopt}}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(parseProjectFloat(text), value);
    }
}

TEST(ProjectWriter, WritesTheLayoutInOrderAndASecondSaveKeepsNoStaleKeys) {
    TempDir dir;
    const fs::path file = dir / "moon.ksp";
    ProjectData bigger = threeFrameProject();
    bigger.points.push_back({5, 5, 32});
    bigger.slots.push_back({});
    bigger.progstatus = 4;
    writeProject(file, bigger);
    writeProject(file, threeFrameProject());
    EXPECT_EQ(fileText(file), GoldenProject);
}

TEST(ProjectWriter, OlderFormHoldsTheFeatureAndTheWholeFrameAlignment) {
    TempDir dir;
    ProjectData p = threeFrameProject();
    p.form = ProjectForm::Older;
    p.activepage = 5;  // "Final": not written in the older form
    p.interlaced.reset();
    writeProject(dir / "old.ksp", p);
    const std::string text = fileText(dir / "old.ksp");
    for (const char* present :
         {"filename=/data/moon/moon.avi\r\nsequencelength=3\r\nprogstatus=2\r\nusedframes=3",
          "refframe=1\r\nresampled=no\r\nresamplevalue=2\r\nhotx=100\r\nhoty=80\r\nstackx=0\r\nstacky="
          "0\r\nEx0=0",
          "[Shifts]\r\nX0=1", "[Info]\r\nD0=12.5"})
        EXPECT_NE(text.find(present), std::string::npos) << present;
    for (const char* absent : {"Alignpoints", "avicount", "activepage", "[Shifts1]", "[IShifts]"})
        EXPECT_EQ(text.find(absent), std::string::npos) << absent;
}

// Notes every status text with what `snapshot` tells of the work at that moment.
class StatusTrail : public NullProgress {
public:
    std::function<std::string()> snapshot;
    std::vector<std::string> trail;
    void setStatus(int panel, const std::string& text) override {
        NullProgress::setStatus(panel, text);
        trail.push_back(std::to_string(panel) + "'" + text + "' " + snapshot());
    }
};

std::string sectionsOf(const TBigIniFile& ini) {
    std::vector<std::string> sections;
    ini.ReadSections(sections);
    std::string text;
    for (const std::string& section : sections) text += (text.empty() ? "" : ",") + section;
    return text;
}

TEST(ProjectWriter, StatusTextsFollowTheWritingAndAllShiftsComeBeforeAllQualities) {
    ProjectData p = threeFrameProject();
    p.points.push_back({400, 300, 32});
    p.slots.push_back({{1, 1, 1.0f, 1.0f}, {2, 2, 2.0f, 2.0f}, {3, 3, 3.0f, 3.0f}});
    TBigIniFile ini{fs::path()};
    StatusTrail trail;
    trail.snapshot = [&] {
        return sectionsOf(ini) + (ini.ReadString("Input", "Ex0", "\n") == "\n" ? "" : " Ex");
    };
    fillProjectIni(p, ini, trail);
    EXPECT_EQ(trail.trail,
              (std::vector<std::string>{
                  "2'Writing projectfile' Input",
                  "2'-X,Y shifts ' Input Ex",
                  "2'-Difference, Quality ' Input,Shifts1,Shifts2,Shifts3 Ex",
                  "2'-Interlace info ' Input,Shifts1,Shifts2,Shifts3,Info1,Info2,Info3 Ex",
                  "2' Ranking ' Input,Shifts1,Shifts2,Shifts3,Info1,Info2,Info3,IShifts,IInfo Ex",
                  "2' ' Input,Shifts1,Shifts2,Shifts3,Info1,Info2,Info3,IShifts,IInfo,Ranking Ex",
              }));
    EXPECT_EQ(sectionsOf(ini), "Input,Shifts1,Shifts2,Shifts3,Info1,Info2,Info3,IShifts,IInfo,Ranking,Form");

    // Without interlacing, the same texts but the interlace one; the older form names the ranking
    // in the fourth panel, where it stays.
    for (const ProjectForm form : {ProjectForm::Full, ProjectForm::Older}) {
        p.form = form;
        p.interlaced.reset();
        TBigIniFile plain{fs::path()};
        StatusTrail texts;
        texts.snapshot = [] { return std::string(); };
        fillProjectIni(p, plain, texts);
        std::vector<std::string> expected{"2'Writing projectfile' ", "2'-X,Y shifts ' ",
                                          "2'-Difference, Quality ' "};
        if (form == ProjectForm::Full)
            expected.insert(expected.end(), {"2' Ranking ' ", "2' ' "});
        else
            expected.insert(expected.end(), {"3' Ranking ' ", "2' ' "});
        EXPECT_EQ(texts.trail, expected);
    }
}

TEST(ProjectReader, StatusTextsFollowWhatIsTakenIn) {
    // Frame 1 excluded; frame 0 holds point 1 (1, -2, quality 0.1), point 2 (5, 6, quality 2)
    // and, in slot 2 too, the second field (1, 1, quality 0.25); frame 2 ranks first.
    const ProjectData p = threeFrameProject();
    for (const bool interlaced : {true, false}) {
        SCOPED_TRACE(interlaced);
        FrameModel model;
        AlignmentPoints points;
        ProgramState state;
        StatusTrail trail;
        trail.snapshot = [&] {
            const TFrameRec& f = model.FrameTable[0];
            std::ostringstream o;
            o << "ex" << model.FrameTable[1].Excluded << " p1 " << f.Slots[1].X << "/" << f.Slots[1].Quality
              << " p2 " << f.Slots[2].X << "/" << f.Slots[2].Quality << " s0 " << f.Slots[0].X << " first "
              << model.FrameRanking[0].Frame;
            return o.str();
        };
        applyProject(p, model, points, state, interlaced, trail);
        std::vector<std::string> expected{
            "2' - excluded frames' ex0 p1 0/0 p2 0/0 s0 0 first 0",
            "2' - X,Y shifts' ex1 p1 0/0 p2 0/0 s0 0 first 0",
            "2' - Quality,Difference' ex1 p1 1/0 p2 5/0 s0 0 first 0",
        };
        if (interlaced) {
            expected.push_back("2' - interlaced X,Y' ex1 p1 1/0.1 p2 5/2 s0 1 first 0");
            expected.push_back("3' - interlaced info' ex1 p1 1/0.1 p2 1/2 s0 1 first 0");
        }
        const char* field = interlaced ? "1/0.25" : "5/2";
        expected.push_back(std::string("2'- frame ranking ' ex1 p1 1/0.1 p2 ") + field + " s0 1 first 0");
        expected.push_back(std::string("2' ' ex1 p1 1/0.1 p2 ") + field + " s0 1 first 2");
        EXPECT_EQ(trail.trail, expected);
        // The bar counts the points and is empty afterwards.
        EXPECT_EQ(trail.maximum(), 2);
        EXPECT_EQ(trail.position(), 0);
    }
}

TEST(ProjectRoundTrip, ShiftsQualitiesRankingPointsAndStoredValuesComeBack) {
    struct Case {
        const char* name;
        int points;
        ProjectForm form;
    };
    for (const Case c :
         {Case{"single box", 1, ProjectForm::Full}, Case{"three points", 3, ProjectForm::Full},
          Case{"99 points", MaxAlignPoints, ProjectForm::Full}, Case{"older form", 1, ProjectForm::Older}}) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        Work work;
        synthesise(work, 40, c.points, 7u + static_cast<std::uint32_t>(c.points));
        expectRoundTrip(work, c.form, dir / "work.ksp");
    }
}

TEST(ProjectRoundTrip, AGermanNumericLocaleWritesAndReadsTheSameFile) {
    TempDir dir;
    Work work;
    synthesise(work, 25, 2, 11);
    const ProjectData project =
        captureProject(work.model, work.state, work.points, work.controls, ProjectForm::Full);
    writeProject(dir / "c.ksp", project);
    const std::string written = fileText(dir / "c.ksp");
    {
        const LocaleScope german("de_DE.UTF-8");
        if (!german.ok()) GTEST_SKIP() << "no de_DE.UTF-8 locale";
        writeProject(dir / "de.ksp", project);
        EXPECT_EQ(fileText(dir / "de.ksp"), written);
        // A file whose numbers carry the comma reads as the same values.
        std::string commas = written;
        for (std::size_t at = commas.find("[Info1]"); at < commas.find("[Ranking]"); ++at)
            if (commas[at] == '.') commas[at] = ',';
        writeText(dir / "comma.ksp", commas);
        const ProjectRead read = readProject(dir / "comma.ksp");
        EXPECT_TRUE(read.problems.empty());
        EXPECT_EQ(read.project.slots, project.slots);
    }
}

TEST(ProjectReader, OlderFormDefaultsAndDuplicateSections) {
    TempDir dir;
    writeText(dir / "p.ksp", crlf({"[input]",
                                   "filetype=BMP",
                                   "sequencelength=3",
                                   "HOTX=7",
                                   "hoty=9",
                                   "im0=a.bmp",
                                   "im1=..\\..\\secret\\b.bmp",
                                   "Ex2=5",
                                   "",
                                   "[Shifts]",
                                   "X0=4",
                                   "Y1=-3",
                                   "[Info]",
                                   "Q0=2,5",
                                   "D1=x",
                                   "[Shifts]",
                                   "X0=99",
                                   "[Ranking]",
                                   "Rank0=2",
                                   "Rank2=0"}));
    const std::string before = fileText(dir / "p.ksp");
    const ProjectRead read = readProject(dir / "p.ksp");
    // Reading writes nothing back, not even to drop the second "[Shifts]".
    EXPECT_EQ(fileText(dir / "p.ksp"), before);
    const ProjectData& p = read.project;
    EXPECT_EQ(p.form, ProjectForm::Older);
    EXPECT_EQ(p.InputType, TInputType::itBMP);
    EXPECT_EQ(p.points, (std::vector<AlignPoint>{{7, 9, 0}}));
    EXPECT_EQ(p.progstatus, 0);
    EXPECT_EQ(p.usedframes, 1);
    EXPECT_EQ(p.frameNames, (std::vector<std::string>{"a.bmp", "b.bmp", " "}));
    EXPECT_EQ(p.excluded, (std::vector<bool>{false, false, true}));
    // The first of two sections of one name counts; missing values take 0, a bad one too.
    EXPECT_EQ(p.slots,
              (std::vector<std::vector<ProjectSlot>>{{{4, 0, 0.0f, 2.5f}, {0, -3, 0.0f, 0.0f}, {}}}));
    EXPECT_EQ(p.ranking, (std::vector<int>{2, 1, 0}));
    EXPECT_FALSE(p.interlaced.has_value());
    ASSERT_EQ(read.problems.size(), 1u);
    EXPECT_NE(read.problems[0].find("no numbers"), std::string::npos);
}

TEST(ProjectReader, HostileProjectsAreRefusedOrClippedWithAMessage) {
    struct Case {
        std::vector<const char*> lines;
        const char* refusal;  // part of the message, or null when the project is taken
        std::size_t problems;
    };
    const auto input = [](std::initializer_list<const char*> extra) {
        std::vector<const char*> lines{"[Input]", "filetype=AVI", "sequencelength=4", "Alignpoints=1"};
        lines.insert(lines.end(), extra);
        return lines;
    };
    const std::vector<Case> cases = {
        {{"[Other]", "a=1"}, "no section \"Input\"", 0},
        {{"[Input]", "filetype=TIF", "sequencelength=10002"}, "10002 frames", 0},
        {{"[Input]", "sequencelength=-5"}, "no frames", 0},
        {{"[Input]", "sequencelength=2", "alignpoints=100"}, "100 alignment points", 0},
        {{"[Input]", "sequencelength=2", "alignpoints=0"}, "0 alignment points", 0},
        {{"[Input]", "sequencelength=2", "alignpoints=2", "hotfft1=64", "hotfft2=100"}, "box size 100", 0},
        {{"[Input]", "filetype=AVI", "sequencelength=2", "avicount=101"}, "102 video files", 0},
        {{"[Input]", "filetype=AVI", "sequencelength=2", "avicount=-2"}, "video files", 0},
        {input({"progstatus=9", "usedframes=40", "refframe=-1", "[Ranking]", "Rank0=99999", "Rank1=-4"}),
         nullptr, 4},
        {input({"[Shifts1]", "X0=2147483647", "Y3=-99999", "[Info1]", "Q0=nan", "D1=1e99"}), nullptr, 2},
        {input({"progstatus=4", "layer1=5000", "initial=0", "scaletype=7", "stackslider=9"}), nullptr, 4},
    };
    TempDir dir;
    for (const Case& c : cases) {
        std::string text;
        for (const char* line : c.lines) text.append(line).append("\n");
        SCOPED_TRACE(text);
        writeText(dir / "h.ksp", text);
        try {
            const ProjectRead read = readProject(dir / "h.ksp");
            EXPECT_EQ(c.refusal, nullptr);
            EXPECT_EQ(read.problems.size(), c.problems);
            const ProjectData& p = read.project;
            for (int frame : p.ranking) EXPECT_TRUE(frame >= 0 && frame < p.sequencelength);
            EXPECT_TRUE(p.refframe >= 0 && p.refframe < p.sequencelength);
            EXPECT_TRUE(p.usedframes >= 1 && p.usedframes <= p.sequencelength);
            for (const auto& slots : p.slots)
                for (const ProjectSlot& s : slots) EXPECT_LE(std::abs(s.X), 4 * MaxFrameSize);
        } catch (const ProjectError& refused) {
            ASSERT_NE(c.refusal, nullptr) << refused.what();
            EXPECT_NE(std::string(refused.what()).find(c.refusal), std::string::npos) << refused.what();
        }
    }
    EXPECT_THROW(readProject(dir / "absent.ksp"), FileError);
    EXPECT_THROW(readProject(dir.path()), FileError);
}
