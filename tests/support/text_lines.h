#pragma once
// The lines of a text file's content, without their "\r\n" or "\n" ends.

#include <sstream>
#include <string>
#include <vector>

namespace kestrave::test {

inline std::vector<std::string> textLines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        result.push_back(line);
    }
    return result;
}

}  // namespace kestrave::test
