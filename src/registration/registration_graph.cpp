#include "registration/registration_graph.h"

#include <algorithm>
#include <cmath>

#include "registration/chart_text.h"

namespace kestrave {

RegistrationGraphData registrationGraphData(const FrameModel& model, int lastRank,
                                            const std::string& RegistrationCaption) {
    const int ranks = std::max(lastRank + 1, 0);
    const auto peakOf = [&](int rank) {
        return model.FrameTable[model.FrameRanking[rank].Frame].Slots[0].Peak;
    };

    double peakMax = 0.0;
    double peakMin = ranks > 0 ? peakOf(0) : 0.0;
    double keyMax = 0.0;
    for (int j = 0; j < ranks; ++j) {
        peakMax = std::max(peakMax, static_cast<double>(peakOf(j)));
        peakMin = std::min(peakMin, static_cast<double>(peakOf(j)));
        keyMax = std::max(keyMax, static_cast<double>(model.FrameRanking[j].Key));
    }
    const double peakRange = peakMax - peakMin == 0.0 ? 1.0 : peakMax - peakMin;
    if (keyMax == 0.0) keyMax = 1.0;

    RegistrationGraphData graph;
    double sum = 0.0;
    int count = 0;
    double largest = -1.0;
    for (int j = 0; j < ranks; ++j) {
        const TFrameRec& frame = model.FrameTable[model.FrameRanking[j].Frame];
        graph.quality.push_back(model.FrameRanking[j].Key / keyMax);
        graph.correlation.push_back((frame.Slots[0].Peak - peakMin) / peakRange * 0.5 + 0.5);
        const float difference = frame.Slots[0].Difference;
        if (!frame.Excluded && difference != NotMeasuredDifference) {
            sum += difference;
            ++count;
            largest = std::max(largest, static_cast<double>(difference));
        }
    }
    graph.largestDifference = std::max(largest, 0.0);
    graph.meanDifference = sum / std::max(count, 1);

    if (graph.largestDifference != NotMeasuredDifference && graph.largestDifference != 0.0) {
        graph.caption = RegistrationCaption + " Average pixel difference :" +
                        fixedPointText(std::sqrt(graph.meanDifference), 6, 3) +
                        " max :" + fixedPointText(std::sqrt(graph.largestDifference), 6, 3);
    } else {
        graph.caption = "Initial optimizing run " + RegistrationCaption;
    }

    for (int j = 0; j < ranks; ++j) {
        const float difference = model.FrameTable[model.FrameRanking[j].Frame].Slots[0].Difference;
        graph.difference.push_back(difference < graph.largestDifference ? difference : 0.0);
    }

    const auto best = std::max_element(graph.quality.begin(), graph.quality.end());
    graph.qualityAxisIncrement = best == graph.quality.end() ? 0.0 : 0.1 * *best;
    graph.rankAxisMaximum = static_cast<double>(graph.quality.size());
    graph.rankAxisIncrement = chartAxisIncrement(graph.quality.size());
    graph.stackRankAxisIncrement = graph.quality.size() > 10 ? 0.1 * (graph.rankAxisMaximum - 1.0) : 1.0;
    return graph;
}

}  // namespace kestrave
