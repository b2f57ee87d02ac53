#include "registration/ranking.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>

#include "registration/frame_limit.h"

namespace kestrave {

void SortRankingByQuality(FrameModel& model, int count) {
    count = std::clamp(count, 0, FrameCapacity);
    struct Entry {
        std::int32_t frame;
        float key;
    };
    std::vector<Entry> entries;
    entries.reserve(static_cast<std::size_t>(count));
    for (int j = 0; j < count; ++j)
        entries.push_back({model.FrameRanking[j].Frame, model.FrameRanking[j].Key});
    const auto order = [](float key) {
        return std::isnan(key) ? -std::numeric_limits<float>::infinity() : key;
    };
    std::stable_sort(entries.begin(), entries.end(),
                     [&](const Entry& a, const Entry& b) { return order(a.key) > order(b.key); });
    for (int j = 0; j < count; ++j) {
        TRankRec& rank = model.FrameRanking[j];
        rank.Frame = entries[static_cast<std::size_t>(j)].frame;
        rank.Key = entries[static_cast<std::size_t>(j)].key;
    }
}

void relativeBrightness(FrameModel& model, int lastFrame, const std::vector<bool>& measured) {
    double sum = 0.0;
    int count = 0;
    for (int k = 0; k <= lastFrame; ++k) {
        if (!measured[static_cast<std::size_t>(k)]) continue;
        sum += model.FrameTable[k].MeanBrightness;
        ++count;
    }
    double mean = count > 0 ? sum / count : 0.0;
    if (!(mean > 0.0)) mean = 1e-20;
    for (int k = 0; k <= lastFrame; ++k) {
        TFrameRec& record = model.FrameTable[k];
        record.Slots[0].Brightness = static_cast<float>(record.MeanBrightness / mean);
    }
}

namespace {

std::string selectionName(const FrameModel& model, int frame) {
    if (model.InputType == TInputType::itAVI) return "Frame " + std::to_string(frame + 1);
    return std::filesystem::path(model.FrameNames[frame]).filename().string();
}

}  // namespace

RankingOutcome rankFrames(FrameModel& model, const RankingOptions& options,
                          const std::vector<bool>& keptOut) {
    const int last = options.lastFrame;
    RankingOutcome outcome;
    double differences = 0.0;
    for (int k = 0; k <= last; ++k) {
        const TAlignSlotRec& slot = model.FrameTable[k].Slots[0];
        model.FrameRanking[k].Frame = k;
        model.FrameRanking[k].Key = slot.Quality;
        differences += slot.Difference;
    }
    if (options.Resampled) differences = 1.0;
    model.FramesRanked = true;
    SortRankingByQuality(model, last + 1);

    outcome.lastRank = model.usedframes - 1;
    outcome.selection.reserve(static_cast<std::size_t>(last + 1));
    for (int j = 0; j <= last; ++j) {
        const int frame = model.FrameRanking[j].Frame;
        TFrameRec& record = model.FrameTable[frame];
        record.Excluded = j >= model.usedframes || keptOut[static_cast<std::size_t>(frame)];
        outcome.selection.push_back({selectionName(model, frame), !record.Excluded});
    }

    outcome.DifferenceSum = 0.001 * (differences == 0.0 ? 1e-10 : differences);

    outcome.cutoffPosition = qualityCutoffPosition(model, last, options.OptimizeQualitySpin);
    return outcome;
}

}  // namespace kestrave
