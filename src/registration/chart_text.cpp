#include "registration/chart_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kestrave {

std::string fixedPointText(double value, int precision, int decimals) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
    char text[64];
    // The decimal exponent after rounding to `precision` significant digits.
    std::snprintf(text, sizeof text, "%.*e", precision - 1, value);
    const int exponent = value == 0.0 ? 0 : std::atoi(std::strchr(text, 'e') + 1);
    if (exponent >= precision) {
        std::snprintf(text, sizeof text, "%.*E", precision - 1, value);
        return text;
    }
    const int kept = std::clamp(precision - 1 - exponent, 0, decimals);
    std::snprintf(text, sizeof text, "%.*f", kept, value);
    std::string result = text;
    if (kept < decimals) {
        if (kept == 0) result += '.';
        result.append(static_cast<std::size_t>(decimals - kept), '0');
    }
    // A negative value that rounds to zero is written without its sign.
    if (result[0] == '-' && result.find_first_not_of("-0.") == std::string::npos) result.erase(0, 1);
    return result;
}

}  // namespace kestrave
