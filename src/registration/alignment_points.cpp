#include "registration/alignment_points.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "persist/big_ini_file.h"

namespace kestrave {

namespace {

constexpr int BoxSizes[] = {32, 64, 128, 256, 512};

// The free box keeps this many pixels between its edges and the frame's.
constexpr int FreeBoxMargin = 10;

std::string quoted(const std::string& text) {
    return "'" + text + "'";
}

}  // namespace

int fftItemForSize(int size) {
    const auto* found = std::find(std::begin(BoxSizes), std::end(BoxSizes), size);
    return found == std::end(BoxSizes) ? -1 : static_cast<int>(found - std::begin(BoxSizes));
}

void setAlignPoints(AlignmentPoints& arrays, std::span<const AlignPoint> points) {
    const int count = std::min(static_cast<int>(points.size()), MaxAlignPoints);
    for (int p = 1; p <= count; ++p) {
        const AlignPoint& point = points[static_cast<std::size_t>(p - 1)];
        arrays.PointPos[p] = {point.X, point.Y};
        arrays.PointFFTSize[p] = point.FFTSize;
        arrays.PointFFTIndex[p] = std::max(fftItemForSize(point.FFTSize), 0);
    }
    arrays.Alignpoints = count + 1;
}

PointRowReading readPointRow(int number, const PointRowText& row, int frameWidth, int frameHeight) {
    const std::string name = "Point " + std::to_string(number) + ": ";
    const std::optional<int> x = parseIniInteger(row.X), y = parseIniInteger(row.Y),
                             size = parseIniInteger(row.FFT);
    for (const auto& [value, text] : {std::pair{x, &row.X}, std::pair{y, &row.Y}, std::pair{size, &row.FFT}})
        if (!value) return {std::nullopt, name + quoted(*text) + " is not a valid integer value"};
    if (fftItemForSize(*size) < 0)
        return {std::nullopt, name + "box size " + std::to_string(*size) + " is not 32, 64, 128, 256 or 512"};
    if (*x < 0 || *x >= frameWidth || *y < 0 || *y >= frameHeight)
        return {std::nullopt, name + "position (" + std::to_string(*x) + ", " + std::to_string(*y) +
                                  ") lies outside the " + std::to_string(frameWidth) + " x " +
                                  std::to_string(frameHeight) + " frame"};
    return {AlignPoint{*x, *y, *size}, {}};
}

PointRowsCheck readPointRows(std::span<const PointRowText> rows, int frameWidth, int frameHeight) {
    PointRowsCheck check;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        PointRowReading reading = readPointRow(static_cast<int>(i) + 1, rows[i], frameWidth, frameHeight);
        if (!reading.point) return {{}, std::move(reading.problem)};
        check.points.push_back(*reading.point);
    }
    return check;
}
int nearestPointRow(std::span<const PointRowText> rows, int x, int y, int reach) {
    int nearest = -1;
    std::int64_t best = static_cast<std::int64_t>(reach) * reach;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::optional<int> px = parseIniInteger(rows[i].X), py = parseIniInteger(rows[i].Y);
        if (!px || !py) continue;
        const std::int64_t dx = std::int64_t{*px} - x, dy = std::int64_t{*py} - y;
        const std::int64_t distance = dx * dx + dy * dy;
        if (distance < best) {
            best = distance;
            nearest = static_cast<int>(i);
        }
    }
    return nearest;
}

void clearWholeFrameShifts(FrameModel& model, int lastIndex) {
    for (int f = 0; f <= std::min(lastIndex, MaxFrameIndex); ++f) {
        TAlignSlotRec& slot = model.FrameTable[f].Slots[0];
        slot.X = slot.Y = 0;
    }
}

void resetPointShifts(FrameModel& model, int lastPoint, int lastIndex) {
    const int points = std::min(lastPoint, MaxAlignPoints);
    for (int f = 0; f <= std::min(lastIndex, MaxFrameIndex); ++f) {
        TAlignSlotRec* slots = model.FrameTable[f].Slots;
        for (int p = 2; p <= points; ++p) {
            slots[p].X = slots[p].SavedX = slots[1].X;
            slots[p].Y = slots[p].SavedY = slots[1].Y;
        }
    }
}

std::string timeLeftText(int milliseconds) {
    const int seconds = std::max(milliseconds, 0) / 1000;
    char text[32];
    std::snprintf(text, sizeof text, "Time left: %02d:%02d:%02d", seconds / 3600 % 24, seconds / 60 % 60,
                  seconds % 60);
    return text;
}

// --- The free alignment box ----------------------------------------------------------------------

int freeBoxSizeItem(int size) {
    if (size > 256) return 4;
    if (size > 128) return 3;
    if (size > 64) return 2;
    return 1;
}

FreeBoxFit fitFreeBox(const TEdgeRect& box, int n, int frameWidth, int frameHeight) {
    FreeBoxFit fit;
    fit.box = box;
    const int size = std::max(box.Right - box.Left, box.Bottom - box.Top);
    const int half = n / 2;
    if (size > n) {
        fit.tooLarge = true;
        const int cx = (box.Left + box.Right) / 2, cy = (box.Top + box.Bottom) / 2;
        fit.box = {cx - half, cx + half, cy - half, cy + half};
    }
    int cx = (fit.box.Left + fit.box.Right) / 2, cy = (fit.box.Top + fit.box.Bottom) / 2;
    if (cx - half < FreeBoxMargin) cx = half + FreeBoxMargin;
    if (cy - half < FreeBoxMargin) cy = half + FreeBoxMargin;
    if (cx + half > frameWidth - FreeBoxMargin) cx = frameWidth - half - FreeBoxMargin;
    if (cy + half > frameHeight - FreeBoxMargin) cy = frameHeight - half - FreeBoxMargin;
    fit.centreX = cx;
    fit.centreY = cy;
    return fit;
}

}  // namespace kestrave
