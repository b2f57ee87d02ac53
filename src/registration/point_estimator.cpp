#include "registration/point_estimator.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "registration/alignment_points.h"

namespace kestrave {

namespace {

// The points keep this much room beyond half a box from every border.
constexpr int ExtraMargin = 40;
// The score window reaches this far from its centre.
constexpr int WindowReach = 10;
constexpr double LevelThreshold = 0.2;
constexpr double AcceptRatio = 0.25;

// The detail levels: E(x, y) = Round(255 e / max) where e / max > 0.2 inside the margin, else 0.
std::vector<std::uint8_t> detailLevels(const Bitmap24& frame, int margin) {
    const int w = frame.width(), h = frame.height();
    std::vector<std::uint8_t> levels(static_cast<std::size_t>(w) * h, 0);
    const auto green = [&](int x, int y) { return static_cast<int>(frame.pixel(x, y)[1]); };
    const auto edge = [&](int x, int y) {
        const int g = green(x, y);
        return std::abs((g - green(x + 2, y)) + (g - green(x, y + 2)) + 0.004) / 255.0;
    };
    double largest = -2550.0;
    for (int y = margin; y <= h - margin; ++y)
        for (int x = margin; x <= w - margin; ++x) largest = std::max(largest, edge(x, y));
    for (int y = margin; y <= h - margin; ++y) {
        for (int x = margin; x <= w - margin; ++x) {
            const double v = edge(x, y) / largest;
            if (v > LevelThreshold)
                levels[static_cast<std::size_t>(y) * w + x] =
                    static_cast<std::uint8_t>(std::nearbyint(v * 255.0));
        }
    }
    return levels;
}

}  // namespace

bool RankedPoints::near(const Entry& entry, int x, int y) const {
    return std::abs(entry.X - x) < minDistance_ && std::abs(entry.Y - y) < minDistance_;
}

void RankedPoints::removeAt(int index) {
    std::copy(entries_.begin() + index + 1, entries_.end(), entries_.begin() + index);
    entries_.back() = Entry{};
}

bool RankedPoints::offer(int x, int y, std::int64_t score) {
    if (static_cast<double>(score) < floor_) return false;
    // The list is sorted from best down: a place exists when the last place open to a newcomer
    // (entry 99, as entry 100 only ever drops out) holds a lower score.
    constexpr int LastPlace = Size - 2;
    if (entries_[LastPlace].score >= score) return false;
    const int k = static_cast<int>(
        std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.score < score; }) -
        entries_.begin());
    for (int i = 0; i < k; ++i)
        if (near(entries_[i], x, y)) return false;
    std::copy_backward(entries_.begin() + k, entries_.end() - 1, entries_.end());
    entries_[k] = {x, y, score};
    // Worse entries within reach drop out; the entry that moves up is tested in its turn.
    for (int j = k + 1; j < Size && entries_[j].score > 0;) {
        if (near(entries_[j], x, y))
            removeAt(j);
        else
            ++j;
    }
    floor_ = static_cast<double>(entries_.back().score);
    return true;
}

std::vector<PointXY> estimateAlignPoints(const Bitmap24& frame, int boxSize, int minDistance) {
    const int w = frame.width(), h = frame.height();
    const int m = boxSize / 2 + ExtraMargin;
    if (w - m < m || h - m < m) return {};
    const std::vector<std::uint8_t> levels = detailLevels(frame, m);
    const auto level = [&](int x, int y) { return levels[static_cast<std::size_t>(y) * w + x]; };

    // The window sums come from column sums over the window's 21 rows, carried from one row to the
    // next as the scan moves up: the same integers as summing every window, in O(W H).
    const int x0 = m - WindowReach, x1 = w - m + WindowReach;
    std::vector<std::int64_t> column(static_cast<std::size_t>(w), 0);
    for (int x = x0; x <= x1; ++x)
        for (int y = h - m - WindowReach; y <= h - m + WindowReach; ++y) column[x] += level(x, y);

    RankedPoints ranked(minDistance);
    for (int y = h - m; y >= m; --y) {
        if (y < h - m) {
            for (int x = x0; x <= x1; ++x)
                column[x] += level(x, y - WindowReach) - level(x, y + WindowReach + 1);
        }
        std::int64_t window = 0;
        for (int x = w - m - WindowReach; x <= w - m + WindowReach; ++x) window += column[x];
        for (int x = w - m; x >= m; --x) {
            if (x < w - m) window += column[x - WindowReach] - column[x + WindowReach + 1];
            ranked.offer(x, y, window);
        }
    }

    return acceptedPoints(ranked);
}

std::vector<PointXY> acceptedPoints(const RankedPoints& ranked) {
    const auto& entries = ranked.entries();
    const double best = entries[0].score == 0 ? 0.0001 : static_cast<double>(entries[0].score);
    std::vector<PointXY> points;
    for (const RankedPoints::Entry& entry : entries) {
        if (static_cast<double>(entry.score) / best <= AcceptRatio ||
            static_cast<int>(points.size()) >= MaxAlignPoints)
            break;
        points.push_back({entry.X, entry.Y});
    }
    return points;
}

}  // namespace kestrave
