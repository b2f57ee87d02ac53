// kestrave-synth: writes a deterministic sample recording (a SER video of a synthetic planet
// under simulated seeing) and, on request, its ground truth.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "platform/errors.h"
#include "synth/recording.h"
#include "synth/ser_writer.h"
#include "synth/truth_files.h"

using namespace kestrave::synth;

namespace {

constexpr const char* usage =
    "Usage: kestrave-synth --out FILE.ser [options]\n"
    "  --frames N        frame count (200)\n"
    "  --width W         frame width in pixels (320)\n"
    "  --height H        frame height in pixels (240)\n"
    "  --seed S          seed of every random choice (1)\n"
    "  --bits B          bits per sample, 8 to 16 (8)\n"
    "  --bayer PATTERN   colour sensor: RGGB, GRBG, GBRG or BGGR (mono when absent)\n"
    "  --max-shift PX    largest whole-frame shift per axis (5)\n"
    "  --blur-min PX     smallest blur deviation (0.4)\n"
    "  --blur-max PX     largest blur deviation (2.2)\n"
    "  --warp PX         size of the local warp (0.4)\n"
    "  --warp-periods N  periods of the warp's finest waves across the frame, 1 to 8 (2)\n"
    "  --flicker F       relative brightness flicker (0.03)\n"
    "  --noise N         noise at mid brightness, fraction of the sample range (0.01)\n"
    "  --surface         a cratered surface filling the frame (a close-up of the Moon) instead of a planet\n"
    "  --flat-plains F   with --surface: the share of it under smooth plains without craters, 0 to 0.8 (0)\n"
    "  --big-endian      store 16-bit samples high byte first (LittleEndian field 1)\n"
    "  --no-timestamps   leave out the trailer of frame time stamps\n"
    "  --truth DIR       also write scene.pfm and frames.csv (the true shifts) into DIR\n"
    "A frame shows the scene moved by its shift: frame(x, y) = scene(x - shift_x, y - shift_y).\n";

// A command line that cannot be run; an empty text asks for the usage only (--help).
struct UsageError {
    std::string text;
};

long long wholeNumber(const std::string& name, const std::string& text) {
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0)
        throw UsageError{name + " needs a whole number, not \"" + text + "\""};
    return value;
}

int smallNumber(const std::string& name, const std::string& text) {
    const long long value = wholeNumber(name, text);
    if (value < -1000000000LL || value > 1000000000LL) throw UsageError{name + " is out of range: " + text};
    return static_cast<int>(value);
}

double decimalNumber(const std::string& name, const std::string& text) {
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || errno != 0)
        throw UsageError{name + " needs a number, not \"" + text + "\""};
    return value;
}

ColourFilter bayerPattern(const std::string& text) {
    for (ColourFilter filter :
         {ColourFilter::BayerRGGB, ColourFilter::BayerGRBG, ColourFilter::BayerGBRG, ColourFilter::BayerBGGR})
        if (text == filterPattern(filter)) return filter;
    throw UsageError{"--bayer takes RGGB, GRBG, GBRG or BGGR, not \"" + text + "\""};
}

struct Command {
    SynthOptions options;
    SerLayout layout;
    std::string out;
    std::optional<std::string> truth;
};

Command parse(int argc, char** argv) {
    Command command;
    SynthOptions& o = command.options;
    using Setter = std::function<void(const std::string& name, const std::string& value)>;
    const auto decimal = [](double& field) -> Setter {
        return [&field](const std::string& name, const std::string& value) {
            field = decimalNumber(name, value);
        };
    };
    const auto whole = [](int& field) -> Setter {
        return
            [&field](const std::string& name, const std::string& value) { field = smallNumber(name, value); };
    };
    const std::map<std::string, Setter> valued{
        {"--out", [&](const std::string&, const std::string& value) { command.out = value; }},
        {"--truth", [&](const std::string&, const std::string& value) { command.truth = value; }},
        {"--seed",
         [&](const std::string& name, const std::string& value) {
             o.seed = static_cast<std::uint64_t>(wholeNumber(name, value));
         }},
        {"--bayer", [&](const std::string&, const std::string& value) { o.filter = bayerPattern(value); }},
        {"--frames", whole(o.frames)},
        {"--width", whole(o.width)},
        {"--height", whole(o.height)},
        {"--bits", whole(o.bitsPerSample)},
        {"--max-shift", decimal(o.maxShift)},
        {"--blur-min", decimal(o.minBlur)},
        {"--blur-max", decimal(o.maxBlur)},
        {"--warp", decimal(o.warp)},
        {"--warp-periods", whole(o.warpPeriods)},
        {"--flicker", decimal(o.flicker)},
        {"--noise", decimal(o.noise)},
        {"--flat-plains", decimal(o.flatPlains)},
    };
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help") throw UsageError{};
        if (name == "--surface") {
            o.surface = true;
        } else if (name == "--big-endian") {
            command.layout.bigEndianSamples = true;
        } else if (name == "--no-timestamps") {
            command.layout.timestamps = false;
        } else {
            const auto setter = valued.find(name);
            if (setter == valued.end()) throw UsageError{"unknown option: " + name};
            if (i + 1 >= argc) throw UsageError{name + " needs a value"};
            setter->second(name, argv[++i]);
        }
    }
    if (command.out.empty()) throw UsageError{"--out is required"};
    return command;
}

}  // namespace

int main(int argc, char** argv) {
    Command command;
    try {
        command = parse(argc, argv);
    } catch (const UsageError& error) {
        if (error.text.empty()) {  // --help
            std::fputs(usage, stdout);
            return 0;
        }
        std::fprintf(stderr, "kestrave-synth: %s\n", error.text.c_str());
        std::fputs(usage, stderr);
        return 2;
    }
    try {
        const Recording recording = planRecording(command.options);
        writeSerRecording(recording, command.out, command.layout);
        if (command.truth) writeTruthFiles(recording, *command.truth);
        std::printf("kestrave-synth: %d frames of %d x %d, %d bits, written to %s\n", command.options.frames,
                    command.options.width, command.options.height, command.options.bitsPerSample,
                    command.out.c_str());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "kestrave-synth: %s\n", error.what());
        return 1;
    }
    return 0;
}
