#include "actor/actor_library.h"

#include <algorithm>
#include <cstring>

#include "platform/riff_file.h"

namespace kestrave {
namespace {

constexpr char kMagic[8] = {'A', 'C', 'T', 'O', 'R', 'L', 'I', 'B'};
constexpr std::uint32_t kContainerVersion = 1;
constexpr std::size_t kHeaderSize = 20;
constexpr std::size_t kDirectoryEntrySize = 16;
constexpr std::uint16_t kRecordVersion = 200;
constexpr std::size_t kRecordFixedSize = 1058;
constexpr std::size_t kAnimationRecordSize = 66;
constexpr std::size_t kPaletteOffset = 27 + 4;  // after the palette's version and entry count
constexpr std::size_t kMaxNameLength = 50;
constexpr std::uint64_t kMaxResources = 2 * 65536;

std::pair<ActorResourceKind, std::uint16_t> key(const ActorResource& r) {
    return {r.kind, r.id};
}

AnimationRecord readAnimationRecord(const std::uint8_t* p) {
    AnimationRecord record;
    // A length byte above 50 would read into the next field; it is taken as 50.
    const std::size_t length = std::min<std::size_t>(p[0], kMaxNameLength);
    record.name.assign(reinterpret_cast<const char*>(p + 1), length);
    record.resourceId = readLE16(p + 51);
    std::copy_n(p + 53, record.stateMask.size(), record.stateMask.begin());
    record.returnKind = static_cast<ReturnKind>(p[63]);
    record.returnAnimation = readLE16(p + 64);
    return record;
}

}  // namespace

std::span<const std::uint8_t> ActorLibraryData::resource(ActorResourceKind kind, std::uint16_t id) const {
    const auto it = std::lower_bound(resources.begin(), resources.end(), std::pair(kind, id),
                                     [](const ActorResource& r, const auto& k) { return key(r) < k; });
    if (it == resources.end() || key(*it) != std::pair(kind, id)) return {};
    return std::span(bytes).subspan(it->offset, it->length);
}

std::shared_ptr<const ActorLibraryData> parseActorLibrary(std::vector<std::uint8_t> bytes) {
    const std::uint64_t fileSize = bytes.size();
    if (fileSize < kHeaderSize || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) return nullptr;
    if (readLE32(bytes.data() + 8) != kContainerVersion) return nullptr;
    const std::uint64_t recordSize = readLE32(bytes.data() + 12);
    const std::uint64_t resourceCount = readLE32(bytes.data() + 16);
    if (recordSize < kRecordFixedSize || kHeaderSize + recordSize > fileSize) return nullptr;

    const std::uint8_t* record = bytes.data() + kHeaderSize;
    if (readLE16(record) != kRecordVersion) return nullptr;
    const int width = readLE16(record + 23);
    const int height = readLE16(record + 25);
    if (width < 1 || height < 1 || width > kMaxActorFrameSide || height > kMaxActorFrameSide) return nullptr;
    const std::size_t animationCount = readLE16(record + 1056);
    if (animationCount < 1 || kRecordFixedSize + kAnimationRecordSize * animationCount > recordSize)
        return nullptr;

    // Every kind and identifier may appear once: more entries than pairs is a broken directory.
    if (resourceCount > kMaxResources) return nullptr;
    const std::uint64_t directory = kHeaderSize + recordSize;
    if (directory + kDirectoryEntrySize * resourceCount > fileSize) return nullptr;

    auto data = std::make_shared<ActorLibraryData>();
    data->frameWidth = width;
    data->frameHeight = height;
    for (std::size_t i = 0; i < data->palette.size(); ++i) {
        const std::uint8_t* e = record + kPaletteOffset + 4 * i;
        data->palette[i] = 0xFF000000u | std::uint32_t{e[0]} << 16 | std::uint32_t{e[1]} << 8 | e[2];
    }
    data->transparentIndex = record[1055];
    for (std::size_t n = 0; n < animationCount; ++n) {
        data->animations.push_back(readAnimationRecord(record + kRecordFixedSize + kAnimationRecordSize * n));
        for (int s = 0; s < kActorStateCount; ++s)
            if (data->animations.back().serves(s)) ++data->stateCounts[s];
    }

    for (std::uint64_t i = 0; i < resourceCount; ++i) {
        const std::uint8_t* e = bytes.data() + directory + kDirectoryEntrySize * i;
        ActorResource r{static_cast<ActorResourceKind>(readLE16(e)), readLE16(e + 2), readLE32(e + 4),
                        readLE32(e + 8)};
        if (r.kind != ActorResourceKind::Sound && r.kind != ActorResourceKind::FrameData) return nullptr;
        if (std::uint64_t{r.offset} + r.length > fileSize) return nullptr;
        data->resources.push_back(r);
    }
    std::sort(data->resources.begin(), data->resources.end(),
              [](const ActorResource& a, const ActorResource& b) { return key(a) < key(b); });
    const auto twice =
        std::adjacent_find(data->resources.begin(), data->resources.end(),
                           [](const ActorResource& a, const ActorResource& b) { return key(a) == key(b); });
    if (twice != data->resources.end()) return nullptr;
    data->bytes = std::move(bytes);
    return data;
}

}  // namespace kestrave
