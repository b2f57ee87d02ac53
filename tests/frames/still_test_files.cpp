#include "still_test_files.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include <png.h>

namespace kestrave::test {

void writeFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

Bytes readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

namespace {

void putLE(Bytes& out, std::size_t at, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void appendLE(Bytes& out, std::uint32_t v, int bytes) {
    out.resize(out.size() + bytes);
    putLE(out, out.size() - bytes, v, bytes);
}

}  // namespace

Bytes makeSer(const SerParams& params, const std::vector<std::uint16_t>& samples) {
    Bytes out(178, 0);
    std::memcpy(out.data(), "LUCAM-RECORDER", 14);
    putLE(out, 18, static_cast<std::uint32_t>(params.colorId), 4);
    putLE(out, 22, static_cast<std::uint32_t>(params.littleEndian), 4);
    putLE(out, 26, static_cast<std::uint32_t>(params.width), 4);
    putLE(out, 30, static_cast<std::uint32_t>(params.height), 4);
    putLE(out, 34, static_cast<std::uint32_t>(params.pixelDepth), 4);
    putLE(out, 38, static_cast<std::uint32_t>(params.frameCount), 4);
    for (std::uint16_t s : samples) appendLE(out, s, params.pixelDepth <= 8 ? 1 : 2);
    return out;
}

std::string fitsCard(const std::string& key, const std::string& value) {
    char card[81];
    std::snprintf(card, sizeof card, "%-8.8s= %20s", key.c_str(), value.c_str());
    std::string text(card);
    text.resize(80, ' ');
    return text;
}

std::vector<std::string> fitsCards(int bitpix, int naxis1, int naxis2, const std::string& bzero) {
    std::vector<std::string> cards = {fitsCard("SIMPLE", "T"), fitsCard("BITPIX", std::to_string(bitpix)),
                                      fitsCard("NAXIS", "2"), fitsCard("NAXIS1", std::to_string(naxis1)),
                                      fitsCard("NAXIS2", std::to_string(naxis2))};
    if (!bzero.empty()) {
        cards.push_back(fitsCard("BSCALE", "1"));
        cards.push_back(fitsCard("BZERO", bzero));
    }
    return cards;
}

Bytes makeFits(const std::vector<std::string>& cards, int bitpix, const std::vector<double>& values) {
    std::string header;
    for (const std::string& card : cards) header += card;
    header += std::string("END").append(77, ' ');
    header.resize((header.size() + 2879) / 2880 * 2880, ' ');
    Bytes out(header.begin(), header.end());
    for (double v : values) {
        std::uint32_t bits = 0;
        int bytes = std::abs(bitpix) / 8;
        if (bitpix == -32) {
            const float f = static_cast<float>(v);
            std::memcpy(&bits, &f, 4);
        } else {
            bits = static_cast<std::uint32_t>(static_cast<std::int64_t>(v));
        }
        for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
    }
    out.resize((out.size() + 2879) / 2880 * 2880, 0);
    return out;
}

Bytes makeBmpWithData(const BmpParams& params, const Bytes& pixelData) {
    const bool core = params.headerSize == 12;
    const bool fieldsAfterHeader = params.headerSize == 40 && params.compression == 3;
    const std::size_t paletteBytes = params.palette.size() * (core ? 3 : 4);
    const std::size_t offBits = 14 + params.headerSize + (fieldsAfterHeader ? 12 : 0) + paletteBytes;
    Bytes out(offBits, 0);
    out[0] = 'B';
    out[1] = 'M';
    putLE(out, 2, static_cast<std::uint32_t>(offBits + pixelData.size()), 4);
    putLE(out, 10, static_cast<std::uint32_t>(offBits), 4);
    putLE(out, 14, static_cast<std::uint32_t>(params.headerSize), 4);
    const int height = params.topDown ? -params.height : params.height;
    if (core) {
        putLE(out, 18, static_cast<std::uint32_t>(params.width), 2);
        putLE(out, 20, static_cast<std::uint32_t>(height), 2);
        putLE(out, 22, 1, 2);
        putLE(out, 24, static_cast<std::uint32_t>(params.bits), 2);
    } else {
        putLE(out, 18, static_cast<std::uint32_t>(params.width), 4);
        putLE(out, 22, static_cast<std::uint32_t>(height), 4);
        putLE(out, 26, 1, 2);
        putLE(out, 28, static_cast<std::uint32_t>(params.bits), 2);
        putLE(out, 30, params.compression, 4);
        putLE(out, 34, static_cast<std::uint32_t>(pixelData.size()), 4);
        putLE(out, 46, params.colorsUsed, 4);
        if (params.compression == 3) {
            for (int i = 0; i < 3; ++i) putLE(out, 54 + 4 * i, params.masks[i], 4);
        }
    }
    std::size_t at = 14 + params.headerSize + (fieldsAfterHeader ? 12 : 0);
    for (const auto& entry : params.palette) {
        out[at] = entry[0];
        out[at + 1] = entry[1];
        out[at + 2] = entry[2];
        at += core ? 3 : 4;
    }
    out.insert(out.end(), pixelData.begin(), pixelData.end());
    return out;
}

Bytes makeBmp(const BmpParams& params, const std::vector<std::uint32_t>& pixels) {
    const std::size_t stride = (static_cast<std::size_t>(params.width) * params.bits + 31) / 32 * 4;
    Bytes data(stride * params.height, 0);
    for (int y = 0; y < params.height; ++y) {
        const int fileRow = params.topDown ? y : params.height - 1 - y;
        std::uint8_t* row = data.data() + fileRow * stride;
        for (int x = 0; x < params.width; ++x) {
            const std::uint32_t v = pixels[static_cast<std::size_t>(y) * params.width + x];
            switch (params.bits) {
                case 1:
                case 4:
                case 8: {
                    const int bit = x * params.bits;
                    row[bit / 8] |= static_cast<std::uint8_t>(v << (8 - params.bits - bit % 8));
                    break;
                }
                case 16:
                    row[2 * x] = static_cast<std::uint8_t>(v);
                    row[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
                    break;
                case 24:
                    row[3 * x] = static_cast<std::uint8_t>(v);
                    row[3 * x + 1] = static_cast<std::uint8_t>(v >> 8);
                    row[3 * x + 2] = static_cast<std::uint8_t>(v >> 16);
                    break;
                default:
                    for (int i = 0; i < 4; ++i) row[4 * x + i] = static_cast<std::uint8_t>(v >> (8 * i));
                    break;
            }
        }
    }
    return makeBmpWithData(params, data);
}

namespace {

void appendPng(png_structp png, png_bytep data, png_size_t count) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + count);
}
void flushPng(png_structp) {}

bool encodePng(png_structp png, png_infop info, int width, int height, int colorType, int bitDepth,
               png_bytepp rows, png_colorp palette, int paletteSize) {
    if (setjmp(png_jmpbuf(png)) != 0) return false;
    png_set_IHDR(png, info, width, height, bitDepth, colorType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (paletteSize > 0) png_set_PLTE(png, info, palette, paletteSize);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, info);
    return true;
}

}  // namespace

Bytes makePng(int width, int height, int colorType, int bitDepth, const std::vector<std::uint16_t>& samples,
              const std::vector<std::array<std::uint8_t, 3>>& palette) {
    const int channels = colorType == PNG_COLOR_TYPE_RGB          ? 3
                         : colorType == PNG_COLOR_TYPE_RGB_ALPHA  ? 4
                         : colorType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                                                                  : 1;
    const std::size_t rowBytes = (static_cast<std::size_t>(width) * channels * bitDepth + 7) / 8;
    Bytes pixels(rowBytes * height, 0);
    for (int y = 0; y < height; ++y) {
        for (int i = 0; i < width * channels; ++i) {
            const std::uint16_t v = samples[static_cast<std::size_t>(y) * width * channels + i];
            std::uint8_t* row = pixels.data() + y * rowBytes;
            if (bitDepth == 16) {
                row[2 * i] = static_cast<std::uint8_t>(v >> 8);
                row[2 * i + 1] = static_cast<std::uint8_t>(v);
            } else {
                const int bit = i * bitDepth;
                row[bit / 8] |= static_cast<std::uint8_t>(v << (8 - bitDepth - bit % 8));
            }
        }
    }
    std::vector<png_bytep> rows;
    for (int y = 0; y < height; ++y) rows.push_back(pixels.data() + y * rowBytes);
    std::vector<png_color> colours;
    for (const auto& p : palette) colours.push_back(png_color{p[2], p[1], p[0]});

    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, appendPng, flushPng);
    const bool ok = encodePng(png, info, width, height, colorType, bitDepth, rows.data(), colours.data(),
                              static_cast<int>(colours.size()));
    png_destroy_write_struct(&png, &info);
    return ok ? out : Bytes{};
}

Bytes makeGreyTiff16(int width, int height, const std::vector<std::uint16_t>& samples) {
    // Header, then one directory of 9 entries, then the samples.
    const std::uint32_t entries = 9, dataOffset = 8 + 2 + entries * 12 + 4;
    Bytes out(dataOffset, 0);
    out[0] = out[1] = 'I';
    putLE(out, 2, 42, 2);
    putLE(out, 4, 8, 4);
    putLE(out, 8, entries, 2);
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    const std::uint32_t fields[][3] = {{256, 3, static_cast<std::uint32_t>(width)},
                                       {257, 3, static_cast<std::uint32_t>(height)},
                                       {258, 3, 16},
                                       {259, 3, 1},
                                       {262, 3, 1},
                                       {273, 4, dataOffset},
                                       {277, 3, 1},
                                       {278, 4, static_cast<std::uint32_t>(height)},
                                       {279, 4, dataBytes}};
    for (std::uint32_t i = 0; i < entries; ++i) {
        const std::size_t at = 10 + i * 12;
        putLE(out, at, fields[i][0], 2);
        putLE(out, at + 2, fields[i][1], 2);
        putLE(out, at + 4, 1, 4);
        putLE(out, at + 8, fields[i][2], fields[i][1] == 3 ? 2 : 4);
    }
    for (std::uint16_t s : samples) appendLE(out, s, 2);
    return out;
}

}  // namespace kestrave::test
