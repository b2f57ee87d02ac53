// Frame lists (".kfl"): any text either is refused with a message or gives files of one kind,
// at most FrameCapacity of them (one for a SER video), each a line of the list; the files read,
// written as a list and read back, are the same. Then the list goes where the window takes it:
// read for a series of a given kind, appended to the open series, its files dropped on the
// window, and the series it opened saved as a list again with some frames checked (ranked or
// not), which reads back as those frames' files in frame order.

#include <algorithm>
#include <memory>

#include "frames/frame_list.h"
#include "fuzz_support.h"

using namespace kestrave;

namespace {

bool stillKind(InputFilter kind) {
    return kind != InputFilter::None && kind != InputFilter::AVI && kind != InputFilter::SER;
}

void checkEntries(const FrameListEntries& entries) {
    FUZZ_CHECK(entries.files.size() <= static_cast<std::size_t>(FrameCapacity));
    if (entries.kind == InputFilter::SER) FUZZ_CHECK(entries.files.size() <= 1);
    FUZZ_CHECK(!entries.capped || entries.files.size() == static_cast<std::size_t>(FrameCapacity));
    for (const std::string& file : entries.files) {
        FUZZ_CHECK(!file.empty() && file.size() <= MaxFrameListLine);
        FUZZ_CHECK(frameListKind(file) == entries.kind);
        FUZZ_CHECK(
            std::none_of(file.begin(), file.end(), [](char c) { return c == '\n' || c == '\r' || c == 0; }));
    }
}

// The series a list opened, saved again: entry j checked when bit j of the pattern (repeated) is
// set; ranked, entry j stands for frame n - 1 - j.
void checkSavedAgain(const FrameListEntries& entries, std::span<const std::uint8_t> pattern, bool ranked) {
    static const auto model = std::make_unique<FrameModel>();
    const int n = static_cast<int>(entries.files.size());
    model->InputType = inputTypeOf(entries.kind);
    model->InputIsSeries = true;
    model->InputIsSER = entries.kind == InputFilter::SER;
    model->SerName = model->InputIsSER ? entries.files.front() : std::string();
    model->SingleImage = n == 1 && !model->InputIsSER;
    model->FramesRanked = ranked;
    std::vector<bool> checked(static_cast<std::size_t>(n));
    std::vector<std::string> expected;
    for (int j = 0; j < n; ++j) {
        model->FrameNames[j] = entries.files[static_cast<std::size_t>(j)];
        model->FrameRanking[j].Frame = n - 1 - j;
        checked[static_cast<std::size_t>(j)] =
            pattern[static_cast<std::size_t>(j / 8) % pattern.size()] >> (j % 8) & 1;
    }
    for (int frame = 0; frame < n; ++frame)
        if (checked[static_cast<std::size_t>(ranked ? n - 1 - frame : frame)])
            expected.push_back(entries.files[static_cast<std::size_t>(frame)]);
    if (model->InputIsSER && !expected.empty()) expected = {model->SerName};

    const std::vector<std::string> saved = checkedFrameFiles(*model, checked);
    FUZZ_CHECK(saved == expected);
    const auto copy = fuzz::scratchFile("saved.kfl");
    writeFrameList(copy, saved);
    FUZZ_CHECK(readFrameList(copy, entries.kind).files == saved);

    const std::vector<std::string> series = seriesFiles(*model, n - 1);
    if (model->InputIsSER)
        FUZZ_CHECK(series.empty());
    else
        FUZZ_CHECK(series ==
                   (model->SingleImage ? std::vector<std::string>{entries.files.front()} : entries.files));
    FUZZ_CHECK(inputCaption(*model, false).find(entries.files.front()) != std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto path = fuzz::writeInput({data, size}, "input.kfl");
    fuzz::expectMessages([&] {
        const FrameListEntries entries = readFrameList(path, InputFilter::None);
        checkEntries(entries);
        const auto copy = fuzz::scratchFile("copy.kfl");
        writeFrameList(copy, entries.files);
        const FrameListEntries reread = readFrameList(copy, entries.kind);
        FUZZ_CHECK(reread.files == entries.files && reread.leftOut == 0);

        // Read for a series of a kind of its own (the input's length picks it): the files of that
        // kind, in list order, the others left out.
        const auto kind = static_cast<InputFilter>(size % 8);
        const FrameListEntries typed = readFrameList(path, kind);
        FUZZ_CHECK(typed.kind == (kind == InputFilter::None ? entries.kind : kind));
        checkEntries(typed);
        if (kind == entries.kind)
            FUZZ_CHECK(typed.files == entries.files && typed.leftOut == entries.leftOut);

        // Appended to the series the list opened: the files twice over, up to the capacity.
        const AppendedInput appended = appendToSeries(entries.files, entries.kind, entries);
        const std::vector<std::string>& plan = appended.plan.files;
        FUZZ_CHECK(plan.size() <= static_cast<std::size_t>(FrameCapacity));
        FUZZ_CHECK(appended.kept == (stillKind(entries.kind) ? entries.files.size() : 0));
        FUZZ_CHECK(std::equal(plan.begin() + static_cast<std::ptrdiff_t>(appended.kept), plan.end(),
                              entries.files.begin()));
        FUZZ_CHECK(appended.plan.filesCapped ==
                   (entries.capped ||
                    appended.kept + entries.files.size() > static_cast<std::size_t>(FrameCapacity)));

        // Dropped on the window: the files of the first one's kind (by its extension alone), in
        // the order given; of SER the first.
        const FrameListEntries dropped = droppedEntries(entries.files);
        checkEntries(dropped);
        std::vector<std::string> same;
        for (const std::string& file : entries.files)
            if (dropped.kind != InputFilter::None && filterOfFile(file) == dropped.kind) same.push_back(file);
        if (dropped.kind == InputFilter::SER) same.resize(std::min<std::size_t>(same.size(), 1));
        FUZZ_CHECK(dropped.files == same && dropped.files.size() + dropped.leftOut == entries.files.size());

        if (!entries.files.empty() && size > 0) checkSavedAgain(entries, {data, size}, (data[0] & 1) != 0);
    });
    return 0;
}
