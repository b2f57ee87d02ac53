#include "output/project_file.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

#include "enhance/scheme_file.h"
#include "persist/ignore_case.h"

namespace kestrave {

namespace fs = std::filesystem;

namespace {

constexpr char Input[] = "Input";
constexpr char Ranking[] = "Ranking";
constexpr char InterlacedShifts[] = "IShifts";
constexpr char InterlacedInfo[] = "IInfo";
constexpr const char* FileTypes[] = {"AVI", "BMP", "FIT", "JPG", "TIF", "PNG", "SER"};
constexpr const char* WaveletLayerKeys[] = {"layer1", "layer2", "layer3", "layer4", "layer5", "layer6"};

// No shift of a frame on a picture of at most MaxFrameSize pixels, resampled up to four times,
// comes near this; larger values are damage and would overflow the stacking's arithmetic.
constexpr int MaxProjectShift = 4 * MaxFrameSize;

std::string indexed(std::string_view key, int index) {
    return std::string(key) + std::to_string(index);
}

// The section of point p (full form) or of the whole-frame alignment (older form).
std::string pointSection(std::string_view base, ProjectForm form, int point) {
    return form == ProjectForm::Full ? indexed(base, point) : std::string(base);
}

template <class T>
T valueAt(const std::vector<T>& values, std::size_t i, T fallback = T{}) {
    return i < values.size() ? values[i] : fallback;
}

// The per-frame keys of a slot's two sections: "X", "Y", "D", "Q", with the suffix "a" for the
// second field of interlaced frames.
struct SlotKeys {
    explicit SlotKeys(std::string_view suffix)
        : x(keyOf('X', suffix)), y(keyOf('Y', suffix)), d(keyOf('D', suffix)), q(keyOf('Q', suffix)) {}
    static std::string keyOf(char letter, std::string_view suffix) {
        std::string key(1, letter);
        key.append(suffix);
        return key;
    }
    std::string x, y, d, q;
};

void writeShifts(TBigIniFile& ini, const std::string& section, std::string_view suffix,
                 const std::vector<ProjectSlot>& slots, int frames) {
    const SlotKeys keys(suffix);
    for (int i = 0; i < frames; ++i) {
        const ProjectSlot slot = valueAt(slots, static_cast<std::size_t>(i));
        ini.WriteInteger(section, indexed(keys.x, i), slot.X);
        ini.WriteInteger(section, indexed(keys.y, i), slot.Y);
    }
}

void writeInfo(TBigIniFile& ini, const std::string& section, std::string_view suffix,
               const std::vector<ProjectSlot>& slots, int frames) {
    const SlotKeys keys(suffix);
    for (int i = 0; i < frames; ++i) {
        const ProjectSlot slot = valueAt(slots, static_cast<std::size_t>(i));
        ini.WriteString(section, indexed(keys.d, i), projectFloatText(slot.Difference));
        ini.WriteString(section, indexed(keys.q, i), projectFloatText(slot.Quality));
    }
}

void writeResampling(const ProjectData& p, TBigIniFile& ini) {
    ini.WriteString(Input, "resampled", p.resampled ? "yes" : "no");
    ini.WriteInteger(Input, "resamplevalue", p.resamplevalue);
}

void writeInput(const ProjectData& p, TBigIniFile& ini) {
    const bool full = p.form == ProjectForm::Full;
    const int frames = p.sequencelength;
    ini.WriteString(Input, "filetype", full ? projectFileType(p.InputType) : "AVI");
    ini.WriteString(Input, "filedir", p.filedir);
    if (p.InputType == TInputType::itAVI || !full) {
        if (full && p.aviFiles.size() > 1) {
            ini.WriteInteger(Input, "avicount", static_cast<int>(p.aviFiles.size()) - 1);
            for (std::size_t i = 0; i < p.aviFiles.size(); ++i) {
                const int n = static_cast<int>(i);
                ini.WriteString(Input, indexed("aviname", n), p.aviFiles[i].FileName);
                ini.WriteInteger(Input, indexed("avistart", n), p.aviFiles[i].FirstFrame);
                ini.WriteInteger(Input, indexed("avistop", n), p.aviFiles[i].LastFrame);
            }
        } else {
            if (full) ini.WriteInteger(Input, "avicount", 0);
            ini.WriteString(Input, "filename", p.AviName);
        }
    }
    // A SER project names its video, which the frame names cannot.
    if (full && p.InputType == TInputType::itSER) ini.WriteString(Input, "sername", p.SerName);
    if (p.dark) {
        ini.WriteString(Input, "darkfile", p.dark->FileName);
        ini.WriteInteger(Input, "darkfiletype", p.dark->FileType);
    }
    if (p.flat) {
        ini.WriteString(Input, "flatfile", p.flat->FileName);
        ini.WriteInteger(Input, "flatfiletype", p.flat->FileType);
    }
    ini.WriteInteger(Input, "sequencelength", frames);
    ini.WriteInteger(Input, "progstatus", p.progstatus);
    if (p.activepage >= 1 && p.activepage <= (full ? 5 : 4))
        ini.WriteInteger(Input, "activepage", p.activepage);
    ini.WriteInteger(Input, "usedframes", p.usedframes);
    ini.WriteInteger(Input, "refframe", p.refframe);
    if (p.progstatus >= 4) {
        ini.WriteInteger(Input, "stackslider", p.stackslider);
        ini.WriteInteger(Input, "stackdifslider", p.stackdifslider);
        ini.WriteInteger(Input, "stacktag", p.stacktag);
    }
    if (p.progstatus == 4) {
        const ProjectWavelet w = p.wavelet.value_or(ProjectWavelet{});
        for (std::size_t i = 0; i < w.layer.size(); ++i)
            ini.WriteInteger(Input, WaveletLayerKeys[i], w.layer[i]);
        ini.WriteInteger(Input, "initial", w.initial);
        ini.WriteInteger(Input, "step", w.step);
        ini.WriteInteger(Input, "scaletype", w.scaletype);
        ini.WriteInteger(Input, "contrast", w.contrast);
        ini.WriteInteger(Input, "brightness", w.brightness);
    }
    if (full) {
        ini.WriteInteger(Input, "Alignpoints", p.alignpoints());
        for (int n = 1; n <= p.alignpoints(); ++n) {
            const AlignPoint& point = p.points[static_cast<std::size_t>(n - 1)];
            ini.WriteInteger(Input, indexed("hotx", n), point.X);
            ini.WriteInteger(Input, indexed("hoty", n), point.Y);
            ini.WriteInteger(Input, indexed("hotFFT", n), point.FFTSize);
        }
    } else {
        // The older form has the resampling before the feature.
        writeResampling(p, ini);
        const AlignPoint feature = valueAt(p.points, 0);
        ini.WriteInteger(Input, "hotx", feature.X);
        ini.WriteInteger(Input, "hoty", feature.Y);
    }
    ini.WriteInteger(Input, "stackx", p.stackx);
    ini.WriteInteger(Input, "stacky", p.stacky);
    if (full) writeResampling(p, ini);
    if (full && p.isStillSeries()) {
        for (int i = 0; i < frames; ++i)
            ini.WriteString(Input, indexed("im", i), valueAt(p.frameNames, static_cast<std::size_t>(i)));
    }
}

void writeExcluded(const ProjectData& p, TBigIniFile& ini) {
    for (int i = 0; i < p.sequencelength; ++i)
        ini.WriteBool(Input, indexed("Ex", i), valueAt(p.excluded, static_cast<std::size_t>(i)));
}

// ---- reading ----

class Reader {
public:
    explicit Reader(const TBigIniFile& ini) : ini_(ini) { ini.ReadSections(sections_); }

    bool hasSection(std::string_view name) const {
        return std::any_of(sections_.begin(), sections_.end(),
                           [&](const std::string& s) { return sameTextIgnoringCase(s, name); });
    }
    bool hasKey(std::string_view section, std::string_view key) const {
        // No value holds a line break, so this default is never a stored one.
        return ini_.ReadString(section, key, "\n") != "\n";
    }
    std::string text(std::string_view section, std::string_view key, std::string_view def) const {
        return ini_.ReadString(section, key, def);
    }
    int integer(std::string_view section, std::string_view key, int def) const {
        return ini_.ReadInteger(section, key, def);
    }
    // An integer clipped into lo..hi; a clipped value is named once per `what`.
    int clipped(std::string_view section, std::string_view key, int def, int lo, int hi,
                const std::string& what) {
        const int value = integer(section, key, def);
        if (value >= lo && value <= hi) return value;
        problems_.push_back(what + " " + std::to_string(value) + " is outside " + std::to_string(lo) + ".." +
                            std::to_string(hi) + " and was set to " +
                            std::to_string(std::clamp(value, lo, hi)));
        return std::clamp(value, lo, hi);
    }
    // A float written under any locale; text that is none reads as 0 and is counted.
    float number(std::string_view section, std::string_view key) {
        const std::string value = text(section, key, "0");
        if (const std::optional<float> parsed = parseProjectFloat(value)) return *parsed;
        ++badNumbers_;
        return 0.0f;
    }
    std::int32_t shift(std::string_view section, std::string_view key) {
        const int value = integer(section, key, 0);
        if (value >= -MaxProjectShift && value <= MaxProjectShift) return value;
        ++clippedShifts_;
        return std::clamp(value, -MaxProjectShift, MaxProjectShift);
    }

    std::vector<std::string> finish() {
        if (badNumbers_ > 0)
            problems_.push_back(std::to_string(badNumbers_) +
                                " quality or difference values were no numbers and were set to 0");
        if (clippedShifts_ > 0)
            problems_.push_back(std::to_string(clippedShifts_) + " shifts were larger than " +
                                std::to_string(MaxProjectShift) + " pixels and were clipped");
        return std::move(problems_);
    }
    void problem(std::string text) { problems_.push_back(std::move(text)); }

private:
    const TBigIniFile& ini_;
    std::vector<std::string> sections_;
    std::vector<std::string> problems_;
    int badNumbers_ = 0;
    int clippedShifts_ = 0;
};

// A frame's file name from an "im" value: what follows the last folder separator of either
// system, so a project can name no file outside the frames' folder.
std::string bareFileName(const std::string& value) {
    const std::size_t slash = value.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? value : value.substr(slash + 1);
    return name == "." || name == ".." ? std::string() : name;
}

TInputType inputTypeOfText(const std::string& type) {
    // Any type but the named ones is a bitmap series.
    for (std::size_t i = 0; i < std::size(FileTypes); ++i)
        if (type == FileTypes[i]) return static_cast<TInputType>(i);
    return TInputType::itBMP;
}

void readVideo(Reader& r, ProjectData& p) {
    const int avicount = r.integer(Input, "avicount", 0);
    if (avicount < 0 || avicount >= MaxAviSegments)
        throw ProjectError("The project names " + std::to_string(avicount + 1) + " video files; at most " +
                           std::to_string(MaxAviSegments) + " can be loaded");
    if (avicount == 0) {
        p.AviName = r.text(Input, "filename", "xxxx");
        return;
    }
    for (int i = 0; i <= avicount; ++i) {
        p.aviFiles.push_back({r.text(Input, indexed("aviname", i), "xxxx"),
                              r.integer(Input, indexed("avistart", i), 0),
                              r.integer(Input, indexed("avistop", i), 0)});
    }
    p.AviName = p.aviFiles.front().FileName;
}

std::optional<ProjectCalibration> readCalibration(Reader& r, const char* file, const char* type) {
    if (!r.hasKey(Input, file) && !r.hasKey(Input, type)) return std::nullopt;
    return ProjectCalibration{r.text(Input, file, "xxx"), r.integer(Input, type, -1)};
}

ProjectWavelet readWavelet(Reader& r) {
    ProjectWavelet w;
    for (std::size_t i = 0; i < w.layer.size(); ++i)
        w.layer[i] = r.clipped(Input, WaveletLayerKeys[i], w.layer[i], MinLayerSlider, MaxLayerSlider,
                               std::string("\"") + WaveletLayerKeys[i] + "\"");
    w.initial = r.clipped(Input, "initial", w.initial, MinLevelStep, MaxLevelStep, "\"initial\"");
    w.step = r.clipped(Input, "step", w.step, MinMultiplicant, MaxMultiplicant, "\"step\"");
    w.scaletype = r.clipped(Input, "scaletype", w.scaletype, 0, 1, "\"scaletype\"");
    w.contrast = r.integer(Input, "contrast", w.contrast);
    w.brightness = r.integer(Input, "brightness", w.brightness);
    return w;
}

void readPoints(Reader& r, ProjectData& p) {
    const int alignpoints = r.integer(Input, "alignpoints", -1);
    if (alignpoints == -1) {
        p.form = ProjectForm::Older;
        p.points = {AlignPoint{r.integer(Input, "hotx", 0), r.integer(Input, "hoty", 0), 0}};
        return;
    }
    if (alignpoints < 1 || alignpoints > MaxAlignPoints)
        throw ProjectError("The project names " + std::to_string(alignpoints) + " alignment points; 1 to " +
                           std::to_string(MaxAlignPoints) + " can be loaded");
    for (int n = 1; n <= alignpoints; ++n) {
        const AlignPoint point{r.integer(Input, indexed("hotx", n), 0),
                               r.integer(Input, indexed("hoty", n), 0),
                               r.integer(Input, indexed("hotfft", n), 0)};
        // A single box takes its size from the box-size choice; points need one of their own.
        if (alignpoints > 1 && fftItemForSize(point.FFTSize) < 0)
            throw ProjectError("Alignment point " + std::to_string(n) + " of the project has the box size " +
                               std::to_string(point.FFTSize) + "; sizes are 32, 64, 128, 256 and 512");
        p.points.push_back(point);
    }
}

std::vector<ProjectSlot> readSlots(Reader& r, const std::string& shifts, const std::string& info,
                                   std::string_view suffix, int frames) {
    std::vector<ProjectSlot> slots(static_cast<std::size_t>(frames));
    const bool haveShifts = r.hasSection(shifts), haveInfo = r.hasSection(info);
    const auto [x, y, d, q] = SlotKeys(suffix);
    for (int i = 0; i < frames; ++i) {
        ProjectSlot& slot = slots[static_cast<std::size_t>(i)];
        if (haveShifts) {
            slot.X = r.shift(shifts, indexed(x, i));
            slot.Y = r.shift(shifts, indexed(y, i));
        }
        if (haveInfo) {
            slot.Difference = r.number(info, indexed(d, i));
            slot.Quality = r.number(info, indexed(q, i));
        }
    }
    return slots;
}

void readFrames(Reader& r, ProjectData& p) {
    const int frames = p.sequencelength;
    const auto count = static_cast<std::size_t>(frames);
    if (p.isStillSeries()) {
        p.frameNames.reserve(count);
        for (int i = 0; i < frames; ++i)
            p.frameNames.push_back(bareFileName(r.text(Input, indexed("im", i), " ")));
    }
    p.excluded.resize(count);
    for (int i = 0; i < frames; ++i)
        p.excluded[static_cast<std::size_t>(i)] = r.integer(Input, indexed("Ex", i), 0) != 0;

    const int sections = p.form == ProjectForm::Full ? p.alignpoints() : 1;
    for (int n = 1; n <= sections; ++n)
        p.slots.push_back(
            readSlots(r, pointSection("Shifts", p.form, n), pointSection("Info", p.form, n), "", frames));
    if (r.hasSection(InterlacedShifts) || r.hasSection(InterlacedInfo))
        p.interlaced = readSlots(r, InterlacedShifts, InterlacedInfo, "a", frames);

    p.ranking.resize(count);
    int clippedRanks = 0;
    for (int j = 0; j < frames; ++j) {
        const int frame = r.integer(Ranking, indexed("Rank", j), 1);
        if (frame < 0 || frame >= frames) ++clippedRanks;
        p.ranking[static_cast<std::size_t>(j)] = std::clamp(frame, 0, frames - 1);
    }
    if (clippedRanks > 0)
        r.problem(std::to_string(clippedRanks) +
                  " ranking entries named no frame of the project and were clipped");
}

}  // namespace

const char* projectFileType(TInputType type) {
    const auto index = static_cast<std::size_t>(type);
    return index < std::size(FileTypes) ? FileTypes[index] : "BMP";
}

std::string projectFloatText(double value) {
    char buffer[64];
    // %.15g, written without the locale: exponent form for exponents below -4 and from 15 up.
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    std::string text(buffer, ec == std::errc() ? end : buffer);
    const std::size_t e = text.find('e');
    if (e == std::string::npos) return text;
    // "1e+15" → "1E15", "1.5e-06" → "1.5E-6".
    std::string exponent = text.substr(e + 1);
    const bool negative = exponent.front() == '-';
    exponent.erase(0, exponent.find_first_not_of("+-"));
    exponent.erase(0, std::min(exponent.find_first_not_of('0'), exponent.size() - 1));
    return text.substr(0, e) + "E" + (negative ? "-" : "") + exponent;
}

std::optional<float> parseProjectFloat(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::nullopt;
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    std::string number(text);
    std::replace(number.begin(), number.end(), ',', '.');
    const char* begin = number.data() + (number.front() == '+' ? 1 : 0);
    if (begin != number.data() && (*begin == '-' || *begin == '+')) return std::nullopt;
    // Only digits, one sign, a separator and an exponent: from_chars also takes "inf" and "nan".
    if (number.find_first_not_of("0123456789.eE+-") != std::string::npos) return std::nullopt;
    double value = 0.0;
    const auto [end, ec] = std::from_chars(begin, number.data() + number.size(), value);
    if (ec != std::errc() || end != number.data() + number.size()) return std::nullopt;
    const auto single = static_cast<float>(value);
    if (!std::isfinite(single)) return std::nullopt;
    return single;
}

void fillProjectIni(const ProjectData& p, TBigIniFile& ini, ProgressPort& progress) {
    // The status panels follow the writing: the third names the part being written.
    writeInput(p, ini);
    progress.setStatus(2, "Writing projectfile");
    writeExcluded(p, ini);
    const int frames = p.sequencelength;
    const int sections = p.form == ProjectForm::Full ? p.alignpoints() : 1;
    // Each point's slots are read twice (shifts, then qualities): by reference, not copied.
    static const std::vector<ProjectSlot> none;
    const auto slotsOf = [&](int n) -> const std::vector<ProjectSlot>& {
        const auto k = static_cast<std::size_t>(n - 1);
        return k < p.slots.size() ? p.slots[k] : none;
    };
    progress.setStatus(2, "-X,Y shifts ");
    for (int n = 1; n <= sections; ++n)
        writeShifts(ini, pointSection("Shifts", p.form, n), "", slotsOf(n), frames);
    progress.setStatus(2, "-Difference, Quality ");
    for (int n = 1; n <= sections; ++n)
        writeInfo(ini, pointSection("Info", p.form, n), "", slotsOf(n), frames);
    if (p.interlaced) {
        progress.setStatus(2, "-Interlace info ");
        writeShifts(ini, InterlacedShifts, "a", *p.interlaced, frames);
        writeInfo(ini, InterlacedInfo, "a", *p.interlaced, frames);
    }
    // The older form names the ranking in the fourth panel, where it stays after the writing.
    progress.setStatus(p.form == ProjectForm::Full ? 2 : 3, " Ranking ");
    for (int j = 0; j < frames; ++j)
        ini.WriteInteger(Ranking, indexed("Rank", j), valueAt(p.ranking, static_cast<std::size_t>(j)));
    progress.setStatus(2, " ");
    putFormLines(ini, p.formLines);
}

void fillProjectIni(const ProjectData& p, TBigIniFile& ini) {
    NullProgress silent;
    fillProjectIni(p, ini, silent);
}

void putFormLines(TBigIniFile& ini, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos || equals == 0) continue;
        ini.WriteString(ProjectFormSection, std::string_view(line).substr(0, equals),
                        std::string_view(line).substr(equals + 1));
    }
}

void writeProject(const fs::path& path, const ProjectData& project, ProgressPort& progress) {
    TBigIniFile ini{fs::path()};
    fillProjectIni(project, ini, progress);
    writeFreshIniFile(path, ini);
}

void writeProject(const fs::path& path, const ProjectData& project) {
    NullProgress silent;
    writeProject(path, project, silent);
}

ProjectRead parseProject(const TBigIniFile& ini) {
    Reader r(ini);
    if (!r.hasSection(Input)) throw ProjectError("The file holds no project: it has no section \"Input\"");
    ProjectData p;
    p.InputType = inputTypeOfText(r.text(Input, "filetype", "xxx"));
    p.filedir = r.text(Input, "filedir", "");
    p.sequencelength = r.integer(Input, "sequencelength", 0);
    if (p.sequencelength > FrameCapacity)
        throw ProjectError("The project names " + std::to_string(p.sequencelength) + " frames; at most " +
                           std::to_string(FrameCapacity) + " can be loaded");
    if (p.sequencelength < 1) throw ProjectError("The project names no frames");
    if (p.InputType == TInputType::itAVI) readVideo(r, p);
    if (p.InputType == TInputType::itSER) p.SerName = r.text(Input, "sername", "");
    p.dark = readCalibration(r, "darkfile", "darkfiletype");
    p.flat = readCalibration(r, "flatfile", "flatfiletype");
    readPoints(r, p);

    const int last = p.sequencelength - 1;
    p.progstatus = r.clipped(Input, "progstatus", 0, 0, 4, "The stage \"progstatus\"");
    p.activepage = r.integer(Input, "activepage", 0);
    p.usedframes = r.clipped(Input, "usedframes", 1, 1, p.sequencelength, "The frame count \"usedframes\"");
    p.refframe = r.clipped(Input, "refframe", 0, 0, last, "The reference frame \"refframe\"");
    if (p.progstatus >= 4) {
        p.stackslider = r.clipped(Input, "stackslider", 0, 0, last, "The stack slider \"stackslider\"");
        p.stackdifslider = r.integer(Input, "stackdifslider", 0);
        p.stacktag = r.clipped(Input, "stacktag", -1, -1, last, "The stack's last rank \"stacktag\"");
    }
    if (p.progstatus == 4 && r.hasKey(Input, "layer1")) p.wavelet = readWavelet(r);
    p.stackx = r.integer(Input, "stackx", 0);
    p.stacky = r.integer(Input, "stacky", 0);
    p.resampled = r.text(Input, "resampled", "no") == "yes";
    p.resamplevalue = r.integer(Input, "resamplevalue", 1);
    readFrames(r, p);
    ini.ReadSectionValues(ProjectFormSection, p.formLines);
    return {std::move(p), r.finish()};
}

ProjectRead readProject(const fs::path& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec))
        throw FileError("Project file " + path.string() +
                        (fs::exists(path, ec) ? " is not a file" : " not found"));
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec || size > MaxProjectBytes)
        throw FileError("Project file " + path.string() + " is too large to be a project");
    const TBigIniFile ini(path);
    try {
        return parseProject(ini);
    } catch (const ProjectError& refused) {
        throw ProjectError(path.filename().string() + ": " + refused.what());
    }
}

}  // namespace kestrave
