#include "codecs/tiff_lzw.h"

#include <algorithm>

namespace kestrave {

namespace {

// Reads codes most significant bit first, up to three bytes at a time.
class CodeReader {
public:
    explicit CodeReader(std::span<const std::uint8_t> data) : data_(data) {}

    bool read(unsigned width, std::uint16_t& code) {
        if (bitPos_ + width > data_.size() * 8) return false;
        const std::size_t i = bitPos_ >> 3;
        const unsigned shift = bitPos_ & 7;
        std::uint32_t v = std::uint32_t{data_[i]} << 16;
        if (i + 1 < data_.size()) v |= std::uint32_t{data_[i + 1]} << 8;
        if (i + 2 < data_.size()) v |= data_[i + 2];
        code = static_cast<std::uint16_t>((v >> (24 - shift - width)) & ((1u << width) - 1));
        bitPos_ += width;
        return true;
    }

private:
    std::span<const std::uint8_t> data_;
    std::size_t bitPos_ = 0;
};

class CodeWriter {
public:
    explicit CodeWriter(std::size_t expected) { out_.reserve(expected); }

    void put(std::uint32_t code, unsigned width) {
        acc_ = (acc_ << width) | code;
        bits_ += width;
        while (bits_ >= 8) {
            bits_ -= 8;
            out_.push_back(static_cast<std::uint8_t>(acc_ >> bits_));
        }
        acc_ &= (1u << bits_) - 1;
    }

    std::vector<std::uint8_t> finish() {
        if (bits_ > 0) out_.push_back(static_cast<std::uint8_t>(acc_ << (8 - bits_)));
        return std::move(out_);
    }

private:
    std::vector<std::uint8_t> out_;
    std::uint32_t acc_ = 0;
    unsigned bits_ = 0;
};

}  // namespace

TLZW::TLZW()
    : prefix_(kTableSize),
      char_(kTableSize),
      firstChar_(kTableSize),
      length_(kTableSize),
      firstChild_(kTableSize, kNoCode),
      nextSibling_(kTableSize) {
    // The single bytes, Clear and EndOfInformation never change; learned entries are written
    // over as they are added, so starting again only needs the last index and the width.
    for (std::uint16_t i = 0; i < 256; ++i) {
        prefix_[i] = Clear;
        char_[i] = firstChar_[i] = static_cast<std::uint8_t>(i);
        length_[i] = 1;
    }
    prefix_[Clear] = prefix_[EndOfInformation] = Clear;
}

void TLZW::initTable() {
    last_ = EndOfInformation;
    width_ = 9;
}

void TLZW::initChains() {
    // Entries from 258 up get an empty chain when they are added.
    std::fill_n(firstChild_.begin(), 256, kNoCode);
}

std::size_t TLZW::writeString(std::uint16_t code, std::span<std::uint8_t> dest) const {
    const std::size_t length = length_[code];
    const std::size_t n = std::min(length, dest.size());
    for (std::size_t skip = length - n; skip > 0; --skip) code = prefix_[code];
    for (std::size_t i = n; i > 0; --i) {
        dest[i - 1] = char_[code];
        code = prefix_[code];
    }
    return n;
}

std::size_t TLZW::Decode(std::span<const std::uint8_t> source, std::span<std::uint8_t> dest) {
    CodeReader reader(source);
    initTable();
    std::size_t written = 0;
    std::uint16_t previous = kNoCode;  // none right after Clear
    std::uint16_t code;
    endOfInformation_ = false;
    while (reader.read(width_, code)) {
        if (code == EndOfInformation) {
            endOfInformation_ = true;
            break;
        }
        if (code == Clear) {
            initTable();
            previous = kNoCode;
            continue;
        }
        if (code > last_ + 1 || (code == last_ + 1 && previous == kNoCode)) break;
        if (previous != kNoCode && last_ + 1u < kTableSize) {
            // The new entry is the previous string plus the first byte of this code's string;
            // for the code not yet in the table (last + 1) that byte is the previous string's.
            const std::uint16_t entry = ++last_;
            prefix_[entry] = previous;
            char_[entry] = code < entry ? firstChar_[code] : firstChar_[previous];
            firstChar_[entry] = firstChar_[previous];
            length_[entry] = static_cast<std::uint16_t>(length_[previous] + 1);
            if (entry == 510 || entry == 1022 || entry == 2046)
                ++width_;
            else if (entry == 4093)
                width_ = 9;
        }
        written += writeString(code, dest.subspan(written));
        // A full output takes one more code to see whether EndOfInformation follows.
        if (written == dest.size()) {
            endOfInformation_ = reader.read(width_, code) && code == EndOfInformation;
            break;
        }
        previous = code;
    }
    return written;
}

std::vector<std::uint8_t> TLZW::Encode(std::span<const std::uint8_t> source) {
    CodeWriter writer(source.size() * 3 / 2 + 8);
    initTable();
    initChains();
    writer.put(Clear, width_);
    std::uint16_t current = Clear;  // the empty string
    for (const std::uint8_t c : source) {
        if (current == Clear) {
            current = c;
            continue;
        }
        std::uint16_t next = firstChild_[current];
        while (next != kNoCode && char_[next] != c) next = nextSibling_[next];
        if (next != kNoCode) {
            current = next;
            continue;
        }
        writer.put(current, width_);
        const std::uint16_t entry = ++last_;
        prefix_[entry] = current;
        char_[entry] = c;
        nextSibling_[entry] = firstChild_[current];
        firstChild_[current] = entry;
        firstChild_[entry] = kNoCode;
        if (entry == 511 || entry == 1023 || entry == 2047) {
            ++width_;
        } else if (entry == 4093) {
            writer.put(Clear, width_);
            initTable();
            initChains();
        }
        current = c;
    }
    writer.put(current, width_);
    // Reading that last code the decoder learns one more string; when this takes its table to
    // 510, 1022 or 2046 it reads EndOfInformation one bit wider.
    if (last_ == 510 || last_ == 1022 || last_ == 2046) ++width_;
    writer.put(EndOfInformation, width_);
    return writer.finish();
}

}  // namespace kestrave
