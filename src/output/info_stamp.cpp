#include "output/info_stamp.h"

#include <algorithm>
#include <cstring>

#include "output/stamp_font.h"

namespace kestrave {

std::array<std::string, 4> stampLines(const StampInfo& info) {
    std::string layers;
    for (std::size_t i = 0; i < info.Layers.size(); ++i) {
        if (i > 0) layers += '_';
        layers += std::to_string(info.Layers[i]);
    }
    return {"Name  " + info.ObjectName + "_" + info.DateTime, "Stack " + std::to_string(info.Stack),
            "WScheme " + std::to_string(info.LevelStep) + "_" + std::to_string(info.Multiplicant),
            "Wvalues" + layers};
}

namespace {

void drawGlyph(Bitmap24& bitmap, int left, int top, const std::uint8_t* glyph) {
    for (int gy = 0; gy < StampGlyphRows * StampScale; ++gy) {
        const int y = top + gy;
        if (y < 0 || y >= bitmap.height()) continue;
        const std::uint8_t bits = glyph[gy / StampScale];
        for (int gx = 0; gx < StampGlyphColumns * StampScale; ++gx) {
            const int x = left + gx;
            if (x < 0 || x >= bitmap.width()) continue;
            if (bits & (0x10 >> (gx / StampScale))) std::memset(bitmap.pixel(x, y), 0, 3);
        }
    }
}

}  // namespace

void drawStampText(Bitmap24& bitmap, int x, int y, std::string_view text) {
    for (const char byte : text) {
        const auto c = static_cast<unsigned char>(byte);
        if (c >= 0x80 && c < 0xC0) continue;  // the rest of a UTF-8 sequence: one glyph per character
        if (x >= bitmap.width()) return;
        drawGlyph(bitmap, x, y, stampGlyph(c));
        x += StampAdvance;
    }
}

Bitmap24 stampedImage(const Bitmap24& picture, const StampInfo* stamp) {
    Bitmap24 work(picture.width(), picture.height() + (stamp ? StampBandHeight : 0));
    if (stamp) work.fill(255, 255, 255);
    for (int y = 0; y < picture.height(); ++y)
        std::memcpy(work.row(y), picture.row(y), 3 * std::size_t(picture.width()));
    if (stamp) {
        const std::array<std::string, 4> lines = stampLines(*stamp);
        for (std::size_t i = 0; i < lines.size(); ++i)
            drawStampText(work, 5, picture.height() + 5 + 20 * static_cast<int>(i), lines[i]);
    }
    return work;
}

}  // namespace kestrave
