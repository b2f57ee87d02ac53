// Actor files: the container, its information record and resource directory as the character
// loads them, then every animation's frame data (LZRW1-KH blocks, tables, frame strip) as the
// engine expands it, and a walk through its frames.

#include <algorithm>

#include "actor/assistant_actor.h"
#include "animation_checks.h"

using namespace kestrave;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto path = fuzz::writeInput({data, size}, "input.actor");
    fuzz::expectMessages([&] {
        TAssistantActor actor(1);
        actor.setActorLibrary(path.string());
        const auto library = actor.library();
        FUZZ_CHECK(library != nullptr);
        FUZZ_CHECK(library->frameWidth >= 1 && library->frameWidth <= kMaxActorFrameSide);
        FUZZ_CHECK(library->frameHeight >= 1 && library->frameHeight <= kMaxActorFrameSide);
        const int count = actor.animationCount();
        FUZZ_CHECK(count >= 1);
        for (int state = 1; state < kActorStateCount; ++state) {
            const int found = actor.findState(state, 0);
            FUZZ_CHECK(found >= 0 && found <= count);
            FUZZ_CHECK((found == 0) == (actor.stateCount(state) == 0));
            if (found > 0) FUZZ_CHECK(actor.animation(found)->serves(state));
        }
        for (int n = 1; n <= count; ++n) {
            const AnimationRecord record = *actor.animation(n);
            FUZZ_CHECK(record.name.size() <= 50);
            FUZZ_CHECK(actor.findByName(record.name) >= n);
            const auto resource = library->resource(ActorResourceKind::FrameData, record.resourceId);
            FUZZ_CHECK(!resource.empty());
            // A damaged animation is refused on its own; the character goes on with the others.
            fuzz::expectMessages([&] {
                fuzz::checkAnimation(*decodeAnimation(resource, library->frameWidth, library->frameHeight,
                                                      library->transparentIndex));
            });
        }
    });
    return 0;
}
