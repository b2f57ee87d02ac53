#pragma once
// Whole-file text access for the scheme and filter file tests.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace kestrave::test {

inline std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

}  // namespace kestrave::test
