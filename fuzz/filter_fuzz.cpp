// User filter files (".ksf"): any text either loads as a 5 x 5 kernel or is refused with a
// message that leaves the kernel in use as it was; a loaded kernel, saved and read back, is the
// same kernel.

#include "enhance/filter_file.h"
#include "fuzz_support.h"

using namespace kestrave;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto path = fuzz::writeInput({data, size}, "input.ksf");
    const auto copy = fuzz::scratchFile("copy.ksf");
    const KernelSpins before = defaultKernelSpins();
    KernelSpins spins = before;
    try {
        loadFilterKernel(path, spins);
    } catch (const KestraveError&) {
        FUZZ_CHECK(spins == before);
        return 0;
    } catch (const std::exception& other) {
        fuzz::readerThrew(&other);
    }
    fuzz::expectMessages([&] {
        saveFilterKernel(copy, spins);
        KernelSpins reread{};
        loadFilterKernel(copy, reread);
        FUZZ_CHECK(reread == spins);
    });
    return 0;
}
