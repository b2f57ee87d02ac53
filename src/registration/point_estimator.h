#pragma once
// The automatic placement of alignment points: the places of most fine detail on a frame, each
// at least a minimum distance from every better one.
//
// On the green channel g (rows from the top) the edge value of a pixel is
//     e(x, y) = |2 g(x, y) - g(x + 2, y) - g(x, y + 2) + 0.004| / 255,
// taken over the pixels at least m = N / 2 + 40 inside every border (N the box side). Values
// above a fifth of the largest become detail levels Round(255 e / max); the score of a pixel is
// the sum of the levels over the 21 x 21 window around it. The best-scoring pixels are ranked in a
// list of 100 in which no two entries lie closer than the minimum distance on both axes, and the
// list's entries down to a quarter of the best score become the points (at most 99).

#include <array>
#include <cstdint>
#include <vector>

#include "frames/frame_model.h"
#include "platform/bitmap24.h"

namespace kestrave {

// The ranked candidates: 100 entries, best first; an empty entry has score 0. A candidate takes
// the place before the first entry it beats (ties keep the earlier candidate ahead) unless a
// better entry lies within the minimum distance on both axes; entries after it within that
// distance drop out, so no two entries ever lie that close.
class RankedPoints {
public:
    static constexpr int Size = 100;
    struct Entry {
        int X = 0;
        int Y = 0;
        std::int64_t score = 0;
    };

    explicit RankedPoints(int minDistance) : minDistance_(minDistance) {}

    // Offers a candidate; true when it entered the list.
    bool offer(int x, int y, std::int64_t score);
    // The lowest score a candidate must reach to be considered at all: 1 while nothing was
    // offered, then the score of the last entry.
    double floor() const { return floor_; }
    const std::array<Entry, Size>& entries() const { return entries_; }

private:
    bool near(const Entry& entry, int x, int y) const;
    void removeAt(int index);

    int minDistance_;
    double floor_ = 1.0;
    std::array<Entry, Size> entries_{};
};

// The points a ranked list gives: its entries in order while their score is above a quarter of
// the best (a best of 0 counting as 0.0001), at most 99.
std::vector<PointXY> acceptedPoints(const RankedPoints& ranked);

// The alignment points of `frame` for box side `boxSize` and minimum distance `minDistance`, best
// first; none on a frame narrower or lower than boxSize + 80 pixels.
std::vector<PointXY> estimateAlignPoints(const Bitmap24& frame, int boxSize, int minDistance);

}  // namespace kestrave
