// Command files (".kco"): the lines read from any text, and the batch options parsed from them
// as an unattended run parses them before it starts.

#include "fuzz_support.h"
#include "shell/batch_options.h"
#include "shell/command_line.h"

using namespace kestrave;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto path = fuzz::writeInput({data, size}, "input.kco");
    fuzz::expectMessages([&] {
        const std::vector<std::string> lines = readCommandFile(path);
        FUZZ_CHECK(lines.size() <= static_cast<std::size_t>(MaxCommandFileLines));
        for (const std::string& line : lines) {
            FUZZ_CHECK(line.find('\n') == std::string::npos);
            FUZZ_CHECK(line.empty() || (line.back() != ' ' && line.back() != '\t' && line.back() != '\r'));
        }
        const BatchCommands batch = batchCommandsFromFile(lines);
        // One line more than read: the last one in use is empty and names no option.
        FUZZ_CHECK(batch.BatchLineCount == static_cast<int>(lines.size()) + 1 && batch.BatchPending);
        FUZZ_CHECK(batch.BatchLines.back().empty());
        const BatchOptions options = parseBatchOptions(batch);
        const std::string input = batchInputFile(options);
        if (options.SaveType) {
            const int index = batchSaveFilterIndex(*options.SaveType, 0);
            FUZZ_CHECK(index >= 0 && index <= 5);
            if (index > 0) batchSaveName(input, index, {input});
        }
        if (options.WaveletScheme) batchSchemeFile(*options.WaveletScheme, "/program");
        const BatchFeature feature = placeBatchFeature(options.FeatureX, options.FeatureY, 640, 480, 128);
        FUZZ_CHECK(feature.x >= 64 && feature.x <= 575 && feature.y >= 64 && feature.y <= 415);
    });
    return 0;
}
