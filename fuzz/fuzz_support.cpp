#include "fuzz_support.h"

#include <cstdlib>
#include <fstream>
#include <system_error>

namespace kestrave::fuzz {

namespace {

std::filesystem::path makeFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kestrave-fuzz-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        std::perror("kestrave fuzz: cannot make a temporary folder");
        std::abort();
    }
    return pattern;
}

const std::filesystem::path& folder() {
    static const std::filesystem::path path = makeFolder();
    static const int registered = std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(folder(), ignored);
    });
    (void)registered;
    return path;
}

}  // namespace

std::filesystem::path writeInput(std::span<const std::uint8_t> data, const std::string& name) {
    const std::filesystem::path path = folder() / name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "kestrave fuzz: cannot write %s\n", path.c_str());
        std::abort();
    }
    return path;
}

std::filesystem::path scratchFile(const std::string& name) {
    return folder() / name;
}

void checkFailed(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "kestrave fuzz: check failed at %s:%d: %s\n", file, line, condition);
    std::abort();
}

}  // namespace kestrave::fuzz

// One worker thread: a run does the same work every time, and the parallel loops of the readers
// are still exercised (with one thread they run their bodies in order).
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    ::setenv("KESTRAVE_THREADS", "1", 1);
    return 0;
}
