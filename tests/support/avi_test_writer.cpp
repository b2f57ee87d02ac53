#include "support/avi_test_writer.h"

#include <algorithm>
#include <stdexcept>

namespace kestrave::test {

namespace {
constexpr int SuperIndexSlots = 32;
}

AviTestWriter::AviTestWriter(const std::filesystem::path& path, AviTestFormat format, AviTestLayout layout)
    : out_(path, std::ios::binary | std::ios::trunc), format_(std::move(format)), layout_(layout) {
    if (!out_) throw std::runtime_error("cannot write " + path.string());
    frameCode_ = std::string(layout_.audioStream ? "01" : "00") + (format_.compression.empty() ? "db" : "dc");
    writeHeaders();
}

std::uint64_t AviTestWriter::pos() {
    return static_cast<std::uint64_t>(out_.tellp());
}

void AviTestWriter::put32(std::uint32_t v) {
    const char b[4] = {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 24)};
    out_.write(b, 4);
}

void AviTestWriter::put16(std::uint16_t v) {
    const char b[2] = {static_cast<char>(v), static_cast<char>(v >> 8)};
    out_.write(b, 2);
}

void AviTestWriter::putCode(const std::string& code) {
    std::string c = code;
    c.resize(4, ' ');
    out_.write(c.data(), 4);
}

void AviTestWriter::patch32(std::uint64_t at, std::uint32_t v) {
    const auto here = out_.tellp();
    out_.seekp(static_cast<std::streamoff>(at));
    put32(v);
    out_.seekp(here);
}

void AviTestWriter::patch64(std::uint64_t at, std::uint64_t v) {
    patch32(at, static_cast<std::uint32_t>(v));
    patch32(at + 4, static_cast<std::uint32_t>(v >> 32));
}

std::uint64_t AviTestWriter::begin(const std::string& code, const std::string& listType) {
    putCode(code);
    const std::uint64_t sizeField = pos();
    put32(0);
    if (!listType.empty()) putCode(listType);
    return sizeField;
}

void AviTestWriter::end(std::uint64_t sizeField) {
    const std::uint64_t size = pos() - sizeField - 4;
    if (size & 1) out_.put(0);
    patch32(sizeField, static_cast<std::uint32_t>(size));
}

void AviTestWriter::writeHeaders() {
    const bool openDml = layout_.index == AviTestIndex::OpenDml;
    const int width = format_.width;
    const int height = format_.height < 0 ? -format_.height : format_.height;
    startRiff("AVI ");
    const std::uint64_t hdrl = begin("LIST", "hdrl");
    const std::uint64_t avih = begin("avih");
    put32(40000);  // microseconds per frame
    put32(0);
    put32(0);
    put32(layout_.index == AviTestIndex::None ? 0 : 0x10);  // has an index
    totalFramesField_ = pos();
    put32(0);
    put32(0);
    put32(layout_.audioStream ? 2 : 1);
    put32(0);
    put32(static_cast<std::uint32_t>(width));
    put32(static_cast<std::uint32_t>(height));
    for (int i = 0; i < 4; ++i) put32(0);
    end(avih);

    if (layout_.audioStream) {
        const std::uint64_t strl = begin("LIST", "strl");
        const std::uint64_t strh = begin("strh");
        putCode("auds");
        put32(0);
        for (int i = 0; i < 3; ++i) put32(0);
        put32(1);     // scale
        put32(8000);  // rate
        for (int i = 0; i < 4; ++i) put32(0);
        put32(1);  // sample size
        for (int i = 0; i < 2; ++i) put32(0);
        end(strh);
        const std::uint64_t strf = begin("strf");
        put16(1);
        put16(1);
        put32(8000);
        put32(8000);
        put16(1);
        put16(8);
        put16(0);
        end(strf);
        end(strl);
    }

    const std::uint64_t strl = begin("LIST", "strl");
    const std::uint64_t strh = begin("strh");
    putCode("vids");
    putCode(format_.handler);
    put32(0);   // flags
    put32(0);   // priority, language
    put32(0);   // initial frames
    put32(1);   // scale
    put32(25);  // rate
    put32(layout_.start);
    lengthField_ = pos();
    put32(0);
    bufferField_ = pos();
    put32(0);
    put32(0xffffffffu);  // quality
    put32(0);            // sample size
    put16(0);
    put16(0);
    put16(static_cast<std::uint16_t>(width));
    put16(static_cast<std::uint16_t>(height));
    end(strh);
    const std::uint64_t strf = begin("strf");
    put32(40);
    put32(static_cast<std::uint32_t>(format_.width));
    put32(static_cast<std::uint32_t>(format_.height));
    put16(1);
    put16(static_cast<std::uint16_t>(format_.bitCount));
    if (format_.compression.empty())
        put32(0);
    else
        putCode(format_.compression);
    put32(0);
    put32(0);
    put32(0);
    put32(static_cast<std::uint32_t>(format_.colorTable.size() / 4));
    put32(0);
    out_.write(reinterpret_cast<const char*>(format_.colorTable.data()),
               static_cast<std::streamsize>(format_.colorTable.size()));
    end(strf);
    if (openDml) {
        const std::uint64_t indx = begin("indx");
        superIndex_ = pos();
        put16(4);  // longs per entry
        out_.put(0);
        out_.put(0);  // an index of indexes
        put32(0);     // entries in use
        putCode(frameCode_);
        for (int i = 0; i < 3; ++i) put32(0);
        for (int i = 0; i < 4 * SuperIndexSlots; ++i) put32(0);
        end(indx);
    }
    end(strl);
    if (openDml) {
        const std::uint64_t odml = begin("LIST", "odml");
        const std::uint64_t dmlh = begin("dmlh");
        odmlFrames_ = pos();
        for (int i = 0; i < 62; ++i) put32(0);
        end(dmlh);
        end(odml);
    }
    end(hdrl);
    moviSize_ = begin("LIST", "movi");
    moviCode_ = moviSize_ + 4;
}

void AviTestWriter::startRiff(const std::string& type) {
    riffSize_ = begin("RIFF", type);
    ++riffs_;
    riffEntries_.clear();
}

void AviTestWriter::addFrame(std::span<const std::uint8_t> data) {
    if (layout_.index == AviTestIndex::OpenDml &&
        static_cast<int>(riffEntries_.size()) == layout_.framesPerRiff) {
        closeRiff();
        startRiff("AVIX");
        moviSize_ = begin("LIST", "movi");
        moviCode_ = moviSize_ + 4;
    }
    std::uint64_t rec = 0;
    if (layout_.recLists) rec = begin("LIST", "rec ");
    const std::uint64_t chunk = pos();
    const std::uint64_t size = begin(frameCode_);
    out_.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    end(size);
    riffEntries_.push_back({chunk, static_cast<std::uint32_t>(data.size())});
    if (riffs_ == 1) firstRiffEntries_.push_back(riffEntries_.back());
    if (layout_.audioStream) {
        if (riffs_ == 1) audioChunks_.push_back(pos());
        const std::uint64_t audio = begin("00wb");
        put32(0x80808080u);
        end(audio);
    }
    if (layout_.recLists) end(rec);
    largest_ = std::max<std::uint32_t>(largest_, static_cast<std::uint32_t>(data.size()));
    ++frames_;
}

void AviTestWriter::closeRiff() {
    if (layout_.index == AviTestIndex::OpenDml) {
        const std::uint64_t ix = pos();
        const std::uint64_t size = begin("ix" + frameCode_.substr(0, 2));
        put16(2);
        out_.put(0);
        out_.put(1);  // an index of chunks
        put32(static_cast<std::uint32_t>(riffEntries_.size()));
        putCode(frameCode_);
        const std::uint64_t base = moviCode_;
        put32(static_cast<std::uint32_t>(base));
        put32(static_cast<std::uint32_t>(base >> 32));
        put32(0);
        for (const Entry& e : riffEntries_) {
            put32(static_cast<std::uint32_t>(e.chunk + 8 - base));
            put32(e.size);
        }
        end(size);
        ixChunks_.emplace_back(ix, static_cast<std::uint32_t>(riffEntries_.size()));
    }
    end(moviSize_);
    const bool idx1 = layout_.index == AviTestIndex::Idx1 || layout_.index == AviTestIndex::Idx1Absolute ||
                      (layout_.index == AviTestIndex::OpenDml && riffs_ == 1);
    if (idx1) {
        const std::uint64_t base = layout_.index == AviTestIndex::Idx1Absolute ? 0 : moviCode_;
        const std::uint64_t index = begin("idx1");
        std::size_t audio = 0;
        for (const Entry& e : firstRiffEntries_) {
            putCode(frameCode_);
            put32(0x10);
            put32(static_cast<std::uint32_t>(e.chunk - base));
            put32(e.size);
            if (layout_.audioStream) {
                putCode("00wb");
                put32(0);
                put32(static_cast<std::uint32_t>(audioChunks_[audio++] - base));
                put32(4);
            }
        }
        end(index);
    }
    end(riffSize_);
}

void AviTestWriter::finish() {
    if (finished_) return;
    finished_ = true;
    closeRiff();
    patch32(totalFramesField_, static_cast<std::uint32_t>(firstRiffEntries_.size()));
    patch32(lengthField_, layout_.length.value_or(static_cast<std::uint32_t>(frames_)));
    patch32(bufferField_, largest_);
    if (layout_.index == AviTestIndex::OpenDml) {
        patch32(odmlFrames_, static_cast<std::uint32_t>(frames_));
        patch32(superIndex_ + 4, static_cast<std::uint32_t>(ixChunks_.size()));
        std::uint64_t slot = superIndex_ + 24;
        for (const auto& [offset, frames] : ixChunks_) {
            patch64(slot, offset);
            patch32(slot + 8, 32 + 8 * frames);
            patch32(slot + 12, frames);
            slot += 16;
        }
    }
    out_.flush();
    if (!out_) throw std::runtime_error("cannot write the test AVI file");
}

void writeTestAvi(const std::filesystem::path& path, const AviTestFormat& format,
                  const std::vector<std::vector<std::uint8_t>>& frames, const AviTestLayout& layout) {
    AviTestWriter writer(path, format, layout);
    for (const auto& frame : frames) writer.addFrame(frame);
    writer.finish();
}

}  // namespace kestrave::test
