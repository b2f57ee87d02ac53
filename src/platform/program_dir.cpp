#include "platform/program_dir.h"

#include <unistd.h>
#include <cstdlib>
#include <system_error>

namespace kestrave {

namespace fs = std::filesystem;

namespace {
const char* nonEmptyEnv(const char* name) {
    const char* v = std::getenv(name);
    return (v && *v) ? v : nullptr;
}

fs::path executableDir() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : exe.parent_path();
}
}  // namespace

fs::path ProgramDir() {
    fs::path dir;
    if (const char* home = nonEmptyEnv("KESTRAVE_HOME")) {
        dir = home;
    } else if (const char* xdg = nonEmptyEnv("XDG_CONFIG_HOME")) {
        dir = fs::path(xdg) / "kestrave";
    } else if (const char* userHome = nonEmptyEnv("HOME")) {
        dir = fs::path(userHome) / ".config" / "kestrave";
    } else {
        dir = fs::temp_directory_path() / "kestrave";
    }
    std::error_code ec;
    fs::create_directories(dir, ec);
    return dir;
}

std::vector<fs::path> resourceDirs() {
    std::vector<fs::path> dirs{ProgramDir()};
    const fs::path exeDir = executableDir();
    if (!exeDir.empty()) {
        dirs.push_back(exeDir);
        dirs.push_back(exeDir.parent_path() / "share" / "kestrave");
    }
    return dirs;
}

fs::path findResource(const fs::path& name) {
    for (const fs::path& dir : resourceDirs()) {
        std::error_code ec;
        if (fs::is_regular_file(dir / name, ec)) return dir / name;
    }
    return {};
}

}  // namespace kestrave
