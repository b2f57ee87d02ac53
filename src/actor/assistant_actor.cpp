#include "actor/assistant_actor.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <new>
#include <system_error>

#include "actor/actor_errors.h"
#include "platform/safe_file.h"

namespace kestrave {
namespace {

// An actor file holds a character of at most a few hundred small frames; anything this large is
// not one, and is refused before it is read into memory.
constexpr std::uintmax_t kMaxActorFileSize = 512u << 20;

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace

TAssistantActor::TAssistantActor(std::uint32_t seed) : random_(seed) {}

TAssistantActor::~TAssistantActor() {
    unload();
}

std::string TAssistantActor::ActorLibrary() const {
    std::lock_guard guard(dataMutex_);
    return fileName_;
}

bool TAssistantActor::namesCurrentLibrary(const std::string& fileName) const {
    const std::string current = ActorLibrary();
    if (fileName == current) return true;
    if (!equalIgnoringCase(fileName, current)) return false;
    // Names in other letters lead to one file, to two, or (when neither exists) to nothing that
    // could tell them apart.
    std::error_code ec;
    const bool exists = std::filesystem::exists(fileName, ec);
    if (exists != std::filesystem::exists(current, ec)) return false;
    return !exists || std::filesystem::equivalent(fileName, current, ec);
}

void TAssistantActor::setActorLibrary(const std::string& fileName) {
    if (namesCurrentLibrary(fileName)) return;
    unload();
    {
        std::lock_guard guard(dataMutex_);
        fileName_ = fileName;
    }
    if (!fileName.empty()) load();
}

void TAssistantActor::load() {
    if (!isEmpty()) return;
    const std::string name = ActorLibrary();
    std::error_code ec;
    if (!std::filesystem::exists(name, ec)) throw EActorError("File not found", name);

    std::shared_ptr<const ActorLibraryData> data;
    try {
        const std::uintmax_t size = std::filesystem::file_size(name, ec);
        if (!ec && size <= kMaxActorFileSize) data = parseActorLibrary(readWholeFile(name));
    } catch (const FileError&) {
        // An unreadable file (a folder, no permission) is no actor library either.
    } catch (const std::bad_alloc&) {
    }
    if (!data) throw EActorError("File is not a valid actor library", name);
    {
        std::lock_guard guard(lock_);
        std::lock_guard dataGuard(dataMutex_);
        data_ = std::move(data);
    }
    if (onLoad_) onLoad_();
}

void TAssistantActor::unload() {
    if (isEmpty()) return;
    if (onUnload_) onUnload_();
    std::lock_guard guard(lock_);
    std::lock_guard dataGuard(dataMutex_);
    data_.reset();
}

std::shared_ptr<const ActorLibraryData> TAssistantActor::library() const {
    std::lock_guard guard(dataMutex_);
    return data_;
}

bool TAssistantActor::isEmpty() const {
    return library() == nullptr;
}

int TAssistantActor::frameWidth() const {
    const auto data = library();
    return data ? data->frameWidth : 0;
}

int TAssistantActor::frameHeight() const {
    const auto data = library();
    return data ? data->frameHeight : 0;
}

int TAssistantActor::transparentIndex() const {
    const auto data = library();
    return data ? data->transparentIndex : 0;
}

std::uint32_t TAssistantActor::transparentColor() const {
    const auto data = library();
    return data ? data->transparentColor() : 0;
}

int TAssistantActor::animationCount() const {
    const auto data = library();
    return data ? static_cast<int>(data->animations.size()) : 0;
}

std::optional<AnimationRecord> TAssistantActor::animation(int number) const {
    const auto data = library();
    if (!data || number < 1 || number > static_cast<int>(data->animations.size())) return std::nullopt;
    return data->animations[number - 1];
}

int TAssistantActor::stateCount(int state) const {
    const auto data = library();
    if (!data || state < 0 || state >= kActorStateCount) return 0;
    return data->stateCounts[state];
}

int TAssistantActor::findState(int state, int nth) {
    std::lock_guard guard(dataMutex_);
    if (!data_ || state < 1 || state >= kActorStateCount) return 0;
    const int k = data_->stateCounts[state];
    if (k == 0) return 0;
    if (nth <= 0) nth = random_.below(k) + 1;
    if (nth > k) nth %= k;
    int count = 0;
    int last = 0;
    for (std::size_t i = 0; i < data_->animations.size(); ++i) {
        if (!data_->animations[i].serves(state)) continue;
        last = static_cast<int>(i) + 1;
        if (++count >= nth) break;
    }
    return last;
}

int TAssistantActor::findByName(std::string_view name) const {
    const auto data = library();
    if (!data) return 0;
    for (std::size_t i = data->animations.size(); i > 0; --i)
        if (equalIgnoringCase(data->animations[i - 1].name, name)) return static_cast<int>(i);
    return 0;
}

}  // namespace kestrave
