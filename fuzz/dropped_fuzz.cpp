// Names dropped from the desktop: any tree of folders, files and links (links to folders above
// them, to files, to nothing) expands, whatever the options, to a finite list in which each
// folder's content comes once, every name lying at or below a dropped one.
//
// The input describes the tree, three bytes an entry: its kind (folder, file, link to an earlier
// entry, link to nothing), the entry it lies in (0: the dropped folder) and the target of a link.
// The first byte holds the options.

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <set>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "platform/dropped_names.h"

using namespace kestrave;
namespace fs = std::filesystem;

namespace {

constexpr std::size_t MaxEntries = 64;

// The harness's own folder work, retried when a signal interrupts it.
template <class Call>
void retried(Call&& call, const std::string& what) {
    for (;;) {
        if (call() == 0) return;
        if (errno != EINTR) fuzz::harnessError(what);
    }
}

void removeTree(const fs::path& root) {
    std::error_code error;
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::remove_all(root, error);
        if (!error || error != std::errc::interrupted) break;
    }
    if (error) fuzz::harnessError("cannot remove " + root.string() + ": " + error.message());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fs::path root = fuzz::scratchFile("dropped");
    removeTree(root);
    retried([&] { return ::mkdir(root.c_str(), 0700); }, "cannot make " + root.string());

    DropFileOptions options;
    if (size > 0) {
        options.dfoIncFolders = data[0] & 1;
        options.dfoIncFiles = data[0] & 2;
        options.dfoRecurseFolders = data[0] & 4;
    }
    std::vector<fs::path> entries{root};
    std::vector<bool> folder{true};
    for (std::size_t at = 1; at + 2 < size && entries.size() <= MaxEntries; at += 3) {
        const int kind = data[at] % 4;
        std::size_t parent = data[at + 1] % entries.size();
        if (!folder[parent]) parent = 0;
        const fs::path path = entries[parent] / ("e" + std::to_string(entries.size()));
        const fs::path& target = entries[data[at + 2] % entries.size()];
        if (kind == 0) {
            retried([&] { return ::mkdir(path.c_str(), 0700); }, "cannot make " + path.string());
        } else if (kind == 1) {
            fuzz::copyHarnessFile(fuzz::writeInput({data, std::min<std::size_t>(size, 8)}, "content"), path);
        } else {
            const std::string to = kind == 2 ? target.string() : (root / "nothing").string();
            retried([&] { return ::symlink(to.c_str(), path.c_str()); }, "cannot link " + path.string());
        }
        entries.push_back(path);
        std::error_code error;
        folder.push_back(fs::is_directory(path, error));
    }

    const std::vector<std::string> names{root.string(), (root / "missing").string()};
    std::vector<std::string> out;
    fuzz::expectMessages([&] { out = expandDroppedNames(names, options); });
    // Each entry of each folder comes once at most: folders reached again through links are skipped.
    FUZZ_CHECK(out.size() <= entries.size() + names.size());
    std::set<fs::path> folders;
    for (const std::string& name : out) {
        FUZZ_CHECK(name.starts_with(root.string()));
        std::error_code error;
        if (options.dfoIncFolders && fs::is_directory(name, error)) {
            const fs::path canonical = fs::canonical(name, error);
            FUZZ_CHECK(error || folders.insert(canonical).second);
        }
    }
    return 0;
}
