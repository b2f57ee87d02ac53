#include "fuzz_support.h"

#include <cxxabi.h>
#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <system_error>
#include <typeinfo>

namespace kestrave::fuzz {

namespace {

std::string failure(const char* doing, const std::filesystem::path& path) {
    return std::string(doing) + " " + path.string() + ": " + std::strerror(errno);
}

std::filesystem::path makeFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/kestrave-fuzz-XXXXXX";
    if (!::mkdtemp(pattern.data())) harnessError(failure("cannot make the folder", pattern));
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

// open(2) again for as long as a signal interrupts it.
int openRetrying(const std::filesystem::path& path, int flags) {
    int fd;
    do fd = ::open(path.c_str(), flags | O_CLOEXEC, 0600);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) harnessError(failure("cannot open", path));
    return fd;
}

// A descriptor that is closed once; close(2) releases it even when a signal interrupts it.
struct Descriptor {
    int fd;
    ~Descriptor() { ::close(fd); }
};

void writeRetrying(const std::filesystem::path& path, const void* bytes, std::size_t size) {
    const Descriptor file{openRetrying(path, O_WRONLY | O_CREAT | O_TRUNC)};
    const auto* p = static_cast<const char*>(bytes);
    while (size > 0) {
        const ssize_t n = ::write(file.fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) harnessError(failure("cannot write", path));
        p += n;
        size -= static_cast<std::size_t>(n);
    }
}

}  // namespace

std::filesystem::path writeInput(std::span<const std::uint8_t> data, const std::string& name) {
    const std::filesystem::path path = folder() / name;
    writeRetrying(path, data.data(), data.size());
    return path;
}

std::filesystem::path scratchFile(const std::string& name) {
    return folder() / name;
}

std::string readHarnessFile(const std::filesystem::path& path) {
    const Descriptor file{openRetrying(path, O_RDONLY)};
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(file.fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) harnessError(failure("cannot read", path));
        if (n == 0) return text;
        text.append(buffer, static_cast<std::size_t>(n));
    }
}

void copyHarnessFile(const std::filesystem::path& from, const std::filesystem::path& to) {
    const std::string bytes = readHarnessFile(from);
    writeRetrying(to, bytes.data(), bytes.size());
}

void removeHarnessFile(const std::filesystem::path& path) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) harnessError(failure("cannot remove", path));
}

void harnessError(const std::string& what) {
    std::fprintf(stderr, "kestrave fuzz: HARNESS ERROR (not a fault of the reader): %s\n", what.c_str());
    std::fflush(stderr);
    // Past libFuzzer's exit handler: no crash report and no input kept, since the input is not at fault.
    std::_Exit(HarnessErrorExit);
}

void readerThrew(const std::exception* what) {
    std::string type = "an exception of unknown type";
    if (what) {
        int status = 0;
        const std::unique_ptr<char, decltype(&std::free)> name(
            abi::__cxa_demangle(typeid(*what).name(), nullptr, nullptr, &status), &std::free);
        type = std::string(status == 0 ? name.get() : typeid(*what).name()) + " (" + what->what() + ")";
    }
    std::fprintf(stderr, "kestrave fuzz: the reader threw %s, which is not a message to the user\n",
                 type.c_str());
    std::abort();
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
