#pragma once
// The video formats the AVI reader decodes, as the program lists them.

#include <string>
#include <vector>

namespace kestrave {

// The video formats this program decodes; the program lists them where the installed video codecs
// would be listed, one line per format: "vidc." + code + two blanks + description.
struct AviCodecInfo {
    std::string fourCC;
    std::string description;
};
const std::vector<AviCodecInfo>& AviDecodableCodecs();
std::vector<std::string> AviCodecListLines();

}  // namespace kestrave
