#include "stacking/stack_accumulator.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

#include "frames/kernel3x3.h"
#include "frames/pixel_helpers.h"
#include "frames/stretch.h"
#include "platform/parallel.h"
#include "platform/zeroed_allocator.h"
#include "stacking/drizzle.h"

namespace kestrave {

namespace {

// 16-bit words enter the 0..255 scale of the planes times 1/255; the dark planes hold 128 times
// the dark frame.
constexpr float WordScale = 0.00392156862745098f;
constexpr float DarkScale = 0.0078125f;
// Stack columns per band of the parallel split. A band of columns is one block of memory in
// every plane, so bands never share a cache line but at their ends. Bands are fixed, whatever
// the thread count.
constexpr int BandColumns = 16;

int roundToInt(double v) {
    return static_cast<int>(std::nearbyint(v));
}

}  // namespace

ResampleWindow resampleWindow(const FrameModel& model, const StackRun& run) {
    const double rf = run.ResampleFactor;
    const auto axis = [&](int frameSize, int centre, int& full, int& origin) {
        full = roundToInt(frameSize * rf) - 1;
        origin = 0;
        if (full <= MaxFrameSize) return full;
        const int half = MaxFrameSize / 2;
        origin = std::max(0, roundToInt(centre * rf) - half);
        if (centre * rf + half > full) origin = roundToInt(centre * rf - half);
        if (origin + MaxFrameSize > full) origin = full - MaxFrameSize;
        return MaxFrameSize;
    };
    ResampleWindow w;
    w.width = axis(model.FrameWidth, run.stackx, w.fullWidth, w.left);
    w.height = axis(model.FrameHeight, run.stacky, w.fullHeight, w.top);
    return w;
}

StackSums makeStackSums(int width, int height, bool fitsColour, bool firstSigmaPass, bool finalSigmaPass) {
    const int xCount = width + SectionPlaneMargin;
    const int yCount = height + SectionPlaneMargin;
    StackSums sums;
    for (T2dArrays& plane : sums.StackPlanes) plane = T2dArrays(yCount, xCount);
    sums.StackWeightPlane = T2dArrays(yCount, xCount);
    if (fitsColour) {
        sums.LumPlane = T2dArrays(yCount, xCount);
        sums.RedWeightPlane = T2dArrays(yCount, xCount);
        sums.BlueWeightPlane = T2dArrays(yCount, xCount);
        sums.LumWeightPlane = T2dArrays(yCount, xCount);
    }
    if (firstSigmaPass) {
        for (T2dArrays& plane : sums.Statistics) plane = T2dArrays(yCount, xCount);
        sums.StatisticsCount = T2dArrays(yCount, xCount);
    }
    if (finalSigmaPass) {
        for (T2dArrays& plane : sums.Rejected) plane = T2dArrays(yCount, xCount);
        sums.RejectedWeight = T2dArrays(yCount, xCount);
    }
    return sums;
}

namespace {

// One axis of a frame's walk: loop values lo..hi map to a position in the sample buffer (-1: not
// stacked) and a stack position, and when drizzling to a drop.
struct PlanAxis {
    int lo = 0;
    int hi = -1;
    std::vector<int> read;
    std::vector<int> canvas;
    std::vector<DropAxis> drop;
    int at(const std::vector<int>& values, int v) const { return values[static_cast<std::size_t>(v - lo)]; }
};

// A frame row that is stacked, with the start of its samples.
struct PlanRow {
    int y;   // loop value
    int ry;  // row in the sample buffer
    int Y;   // stack row
    const std::uint8_t* bytes;
    const std::uint16_t* words;
};

}  // namespace

// Everything StackFrame derives from the frame before touching a pixel.
struct StackAccumulator::FramePlan {
    PlanAxis columns;
    PlanAxis rows;
    // The rows that are stacked, in ascending order.
    std::vector<PlanRow> rowList;
    // Every row of the walk by its loop value (rows.lo on); ry is -1 for a row that is not read.
    // With rowRun the rows read are rowAt[rowAtRead.first .. rowAtRead.second).
    std::vector<PlanRow> rowAt;
    std::pair<int, int> rowAtRead{0, 0};
    // The stacked rows are one run: each reads the row after the last and lands on the stack row
    // after the last (no interlace, no drizzle).
    bool rowRun = false;
    // Stack columns that a sample at stack column X can reach: X - reachLeft .. X + reachRight.
    int reachLeft = 0;
    int reachRight = 0;

    // Sample source.
    FrameSamples kind = FrameSamples::Bitmap;
    bool colour = false;
    int frameIndex = 0;
    Bitmap24 resampled;  // the resampled frame, canvas-sized
    const Bitmap24* bitmap = nullptr;
    const TTIFFBitMap* highBit = nullptr;
    const T2dArrays* raw = nullptr;
    bool grey = false;
    bool darkFlat = false;  // subtract the dark and divide by the flat at the read position
    int channel = 1;
    bool fitsColour = false;  // FITS colour input: each frame feeds its own channel

    float b = 1.0f;  // brightness weight
    bool drizzle = false;
    bool firstPass = false;
    bool clip = false;    // final sigma pass
    bool events = false;  // record sigma events
    float lowPixel = 0.0f;

    // Multi-point placement.
    bool multiPoint = false;
    int points = 0;
    int shiftX = 0;
    int shiftY = 0;
    std::array<bool, AlignSlotCount> use{};
    std::array<float, AlignSlotCount> dx{};
    std::array<float, AlignSlotCount> dy{};
    std::array<int, AlignSlotCount> slotX{};
    std::array<int, AlignSlotCount> slotY{};
    // The whole-pixel move of each point's zone on the stack: the zone's stack pixel T takes the
    // sample that the frame's own placement puts at T - offset.
    std::array<int, AlignSlotCount> offsetX{};
    std::array<int, AlignSlotCount> offsetY{};
};

// The sigma events one band of stack columns found in one frame: the brightest
// SigmaEventsPerFrame of them, kept as a heap whose front is the dimmest kept, and the count of
// all.
struct StackAccumulator::BandEvents {
    std::vector<SigmaEvent> kept;
    std::size_t found = 0;

    void add(const SigmaEvent& event) {
        ++found;
        if (kept.size() < SigmaEventsPerFrame) {
            kept.push_back(event);
            std::push_heap(kept.begin(), kept.end(), brighterEvent);
        } else if (brighterEvent(event, kept.front())) {
            std::pop_heap(kept.begin(), kept.end(), brighterEvent);
            kept.back() = event;
            std::push_heap(kept.begin(), kept.end(), brighterEvent);
        }
    }
};

StackAccumulator::StackAccumulator(const StackOptions& options, const FrameModel& model,
                                   const ImageDataSection& section, const StackRun& run, StackSums& sums)
    : options_(options), model_(model), section_(section), run_(run), sums_(sums) {
    // The sums every frame adds to get their memory before the frames come (red and blue only
    // with colour; the other planes exist only when the run adds to them).
    for (T2dArrays* plane :
         {&sums.StackPlanes[1], &sums.StackWeightPlane, &sums.LumPlane, &sums.RedWeightPlane,
          &sums.BlueWeightPlane, &sums.LumWeightPlane, &sums.Statistics[0], &sums.Statistics[1],
          &sums.Statistics[2], &sums.StatisticsCount})
        touchZeroedPages(plane->data(), plane->cellCount() * sizeof(float));
    if (options.Colourstack)
        for (int c : {0, 2})
            touchZeroedPages(sums.StackPlanes[c].data(), sums.StackPlanes[c].cellCount() * sizeof(float));
    const StackPointSet& points = options.Points;
    if (placesByZones(options))
        zones_ = std::make_unique<ZoneMap>(
            makeZoneMap(points, points.Alignpoints, sums.StackWeightPlane.xCount(),
                        sums.StackWeightPlane.yCount(), run, options.Seams ? options.SeamWidths : 0.0f));
}

StackAccumulator::~StackAccumulator() = default;

ZoneMap makeZoneMap(const StackPointSet& points, int pointCount, int width, int height, const StackRun& run,
                    float seamWidth) {
    const int shiftX = run.StackMaxShiftX, shiftY = run.StackMaxShiftY;
    const Bitmap24* const nearestPoints = run.nearestPoints;
    ZoneMap zones;
    zones.width = std::max(0, width);
    zones.height = std::max(0, height);
    const std::size_t cells = static_cast<std::size_t>(zones.width) * zones.height;
    zones.nearest.assign(cells, 0);
    zones.second.assign(cells, 0);
    zones.blend.assign(cells, 0.0f);
    const int last = std::min(pointCount, AlignSlotCount - 1);
    parallelFor(0, zones.width, [&](std::ptrdiff_t column) {
        const int X = static_cast<int>(column);
        for (int Y = 0; Y < zones.height; ++Y) {
            int p1 = 0, p2 = 0;
            if (nearestPoints && X < nearestPoints->width() && Y < nearestPoints->height()) {
                p1 = nearestPoints->pixel(X, Y)[2];
                p2 = nearestPoints->pixel(X, Y)[1];
            } else {
                long long best = std::numeric_limits<long long>::max();
                long long next = best;
                for (int p = 1; p <= last; ++p) {
                    const long long dx = X - (points.PointPos[p].X + shiftX);
                    const long long dy = Y - (points.PointPos[p].Y + shiftY);
                    const long long d = dx * dx + dy * dy;
                    if (d <= best) {
                        next = best;
                        p2 = p1;
                        best = d;
                        p1 = p;
                    } else if (d <= next) {
                        next = d;
                        p2 = p;
                    }
                }
            }
            const std::size_t z = zones.cell(X, Y);
            zones.nearest[z] = static_cast<std::uint8_t>(std::clamp(p1, 0, 255));
            zones.second[z] = static_cast<std::uint8_t>(std::clamp(p2, 0, 255));
            if (seamWidth <= 0.0f || p1 < 1 || p2 < 1 || p1 == p2 || p1 > last || p2 > last) continue;
            // Distance from the perpendicular bisector of the two points.
            const double ax = points.PointPos[p1].X, ay = points.PointPos[p1].Y;
            const double cx = points.PointPos[p2].X, cy = points.PointPos[p2].Y;
            const double length = std::hypot(ax - cx, ay - cy);
            if (length == 0.0) continue;
            const double mx = (ax + cx) / 2 + shiftX, my = (ay + cy) / 2 + shiftY;
            const double dist = std::fabs((X - mx) * (ax - cx) + (Y - my) * (ay - cy)) / length;
            if (dist <= seamWidth) zones.blend[z] = static_cast<float>((1.0 - dist / seamWidth) * 0.5);
        }
    });
    zones.columnRuns.reserve(static_cast<std::size_t>(zones.width) + 1);
    for (int X = 0; X < zones.width; ++X) {
        zones.columnRuns.push_back(zones.runs.size());
        for (int Y = 0; Y < zones.height; ++Y) {
            const std::size_t z = zones.cell(X, Y);
            const int point = zones.nearest[z];
            const bool blended = zones.blend[z] > 0.0f;
            ZoneMap::Run* last = zones.runs.size() > zones.columnRuns.back() ? &zones.runs.back() : nullptr;
            if (last && last->point == point && last->blended == blended)
                last->end = Y + 1;
            else
                zones.runs.push_back({Y, Y + 1, point, blended});
        }
    }
    zones.columnRuns.push_back(zones.runs.size());
    return zones;
}

void StackAccumulator::planPoints(const StackFrameCall& call, float brightness, FramePlan& plan) {
    const StackPointSet& points = options_.Points;
    const TFrameRec& rec = model_.FrameTable[call.StackFrameIndex];
    plan.multiPoint = points.MultiPointMode && points.Alignpoints > 1;
    plan.points = plan.multiPoint ? std::min(points.Alignpoints, AlignSlotCount - 1) : 0;

    float b = 1.0f;
    if (options_.IntensBalance) {
        b = brightness;
        if (plan.multiPoint) {
            float sum = 0.0f;
            for (int p = 1; p <= plan.points; ++p) sum += rec.Slots[p].Brightness;
            b = sum / static_cast<float>(plan.points);
        }
    }
    if (b == 0.0f) b = 0.001f;
    if (plan.firstPass) b = 1.0f;
    plan.b = b;

    const SlotShift first = shiftAtScale(rec.Slots[1], run_.shiftScale);
    for (int p = 1; p <= plan.points; ++p) {
        const TAlignSlotRec& slot = rec.Slots[p];
        bool use = !points.MultiQuantity || slot.Quality >= points.PointQualityCut[p];
        if (slot.Difference > points.PointDifferenceCut[p] || slot.Difference == NotMeasuredDifference)
            use = false;
        plan.use[p] = use;
        const SlotShift shift = shiftAtScale(slot, run_.shiftScale);
        plan.slotX[p] = shift.X;
        plan.slotY[p] = shift.Y;
        plan.dx[p] = static_cast<float>(shift.X - first.X);
        plan.dy[p] = static_cast<float>(shift.Y - first.Y);
        if (options_.Macorrect) {
            plan.dx[p] -= run_.PointMeanShiftX[p - 1];
            plan.dy[p] -= run_.PointMeanShiftY[p - 1];
        }
        // A zone moves by whole pixels, each frame's move rounded on its own; colour stacks round
        // it 0.001 pixel towards positive.
        const float bias = options_.Colourstack ? 0.001f : 0.0f;
        plan.offsetX[p] = roundToInt(bias - plan.dx[p]);
        plan.offsetY[p] = roundToInt(bias - plan.dy[p]);
    }
}

namespace {

// Frame pixels along one axis that StackFrame visits, before the edge trim.
struct AxisRange {
    int lo;
    int hi;
};

// One axis of the walk before fillAxis: the loop range, the source origin and extent, the
// readable buffer extent and the stack offset.
struct AxisWalk {
    AxisRange range;
    int origin = 0;
    int extent = 0;
    int readExtent = 0;
    int offset = 0;
};

// The loop range, source test and stack position of one axis. Loop value v reads source position
// origin + v + shift when that lies in 0..extent-1 (the resampled path reads v itself); the read
// position must also lie in 0..readExtent-1 of the buffer.
void fillAxis(PlanAxis& axis, const AxisWalk& walk, int shift, bool readsLoopValue, bool drizzle,
              float factor) {
    const AxisRange range = walk.range;
    axis.lo = range.lo;
    axis.hi = range.hi;
    const int count = std::max(0, range.hi - range.lo + 1);
    axis.read.assign(static_cast<std::size_t>(count), -1);
    axis.canvas.assign(static_cast<std::size_t>(count), 0);
    for (int v = range.lo; v <= range.hi; ++v) {
        const std::size_t i = static_cast<std::size_t>(v - range.lo);
        const int source = walk.origin + v + shift;
        const int read = readsLoopValue ? v : source;
        if (source >= 0 && source < walk.extent && read >= 0 && read < walk.readExtent) axis.read[i] = read;
        axis.canvas[i] = (drizzle ? roundToInt(static_cast<double>(v) * factor) : v) + walk.offset;
    }
}

void fillDrops(PlanAxis& axis, float sub, float factor, float pixfrac, int& reachLow, int& reachHigh) {
    const int count = std::max(0, axis.hi - axis.lo + 1);
    axis.drop.resize(static_cast<std::size_t>(count));
    for (int v = axis.lo; v <= axis.hi; ++v) {
        const double exact = static_cast<double>(v) * factor;
        const float phase = static_cast<float>(exact - std::nearbyint(exact));
        DropAxis& drop = axis.drop[static_cast<std::size_t>(v - axis.lo)];
        drop = drizzleDropAxis(sub, factor, pixfrac, phase);
        reachLow = std::max(reachLow, -drop.first);
        reachHigh = std::max(reachHigh, drop.first + drop.count - 1);
    }
}

}  // namespace

namespace {

// The samples' extent: the frame size, never beyond the buffer that holds them (the 8-bit picture
// when the frames are resampled).
struct SourceSize {
    int width;
    int height;
};
SourceSize sourceSize(const FrameModel& model, const FrameBuffers& frame, bool resampled) {
    int srcW = model.FrameWidth;
    int srcH = model.FrameHeight;
    const FrameSamples kind = resampled ? FrameSamples::Bitmap : frame.Samples;
    switch (kind) {
        case FrameSamples::Bitmap:
            srcW = std::min(srcW, frame.Preview.width());
            srcH = std::min(srcH, frame.Preview.height());
            break;
        case FrameSamples::HighBit:
            srcW = std::min(srcW, frame.HighBitFrame.HighBitsAllocated() ? frame.HighBitFrame.width() : 0);
            srcH = std::min(srcH, frame.HighBitFrame.HighBitsAllocated() ? frame.HighBitFrame.height() : 0);
            break;
        case FrameSamples::Raw:
            srcW = std::min(srcW, frame.RawFramePlane.xCount());
            srcH = std::min(srcH, frame.RawFramePlane.yCount());
            break;
    }
    return {srcW, srcH};
}

// The walk of both axes.
struct Walk {
    AxisWalk across;
    AxisWalk down;
};

// The loop ranges of both axes: the frame, the resampled window (of the resampled frame
// `resampledFrame`, null when the frames are not resampled) or the drizzled frame, widened to the
// shift with Expandstack and trimmed at the edges.
Walk planWalk(const FrameModel& model, const StackRun& run, const StackOptions& options, SourceSize source,
              const Bitmap24* resampledFrame, bool drizzle, const StackFrameCall& call) {
    const double f = run.DrizzleFactor;
    const int srcW = source.width, srcH = source.height;
    Walk walk{{{0, srcW - 1}, 0, srcW, srcW, 0}, {{0, srcH - 1}, 0, srcH, srcH, 0}};
    AxisWalk& across = walk.across;
    AxisWalk& down = walk.down;
    int imageW = model.FrameWidth, imageH = model.FrameHeight;
    if (resampledFrame) {
        // Canvas pixel x shows the resampled frame at x, taken while left + x + shift lies on the
        // resampled frame.
        const ResampleWindow window = resampleWindow(model, run);
        imageW = window.width;
        imageH = window.height;
        across = {{0, imageW - 1}, window.left, window.fullWidth, resampledFrame->width(), 0};
        down = {{0, imageH - 1}, window.top, window.fullHeight, resampledFrame->height(), 0};
    } else if (drizzle) {
        imageW = roundToInt((roundToInt(model.FrameWidth * f) - 1) / f);
        imageH = roundToInt((roundToInt(model.FrameHeight * f) - 1) / f);
        across.range = {0, imageW};
        down.range = {0, imageH};
    }
    if (options.Expandstack) {
        across.range = {1 - call.StackShiftX, imageW - 2 - call.StackShiftX};
        down.range = {1 - call.StackShiftY, imageH - 2 - call.StackShiftY};
        across.offset = run.StackMaxShiftX;
        down.offset = run.StackMaxShiftY;
    }
    int trim = options.Edgewidth > 0.0f ? roundToInt(options.Edgewidth) : 0;
    if (options.DebayerEnabled) trim += 2;
    across.range = {across.range.lo + trim, across.range.hi - trim};
    down.range = {down.range.lo + trim, down.range.hi - trim};
    return walk;
}

// Interlaced video: each field takes the rows its setting names; the others are not read.
void keepFieldRows(const FrameModel& model, const StackOptions& options, const StackFrameCall& call,
                   PlanAxis& rows) {
    if (!options.interlaced || model.InputIsFIT || model.InputIsTIF) return;
    for (int y = rows.lo; y <= rows.hi; ++y) {
        const bool odd = (y % 2) != 0;
        bool useRow = true;
        switch (options.interlaceinterpolation) {
            case 0:
                useRow = odd ? call.InterlaceField == 1 : call.InterlaceField == 0;
                break;
            case 2:
                useRow = call.InterlaceField == 1;
                break;
            case 3:
                useRow = call.InterlaceField == 0;
                break;
            default:
                break;
        }
        if (!useRow) rows.read[static_cast<std::size_t>(y - rows.lo)] = -1;
    }
}

}  // namespace

// How far from its own stack column a drizzled sample may land: the drop.
void StackAccumulator::planReach(const StackFrameCall& call, FramePlan& plan) const {
    if (!plan.drizzle) return;
    const float f = run_.DrizzleFactor;
    int unusedUp = 0, unusedDown = 0;
    fillDrops(plan.columns, call.StackSubPixelX, f, options_.Pixfrac, plan.reachLeft, plan.reachRight);
    fillDrops(plan.rows, call.StackSubPixelY, f, options_.Pixfrac, unusedUp, unusedDown);
}

bool StackAccumulator::planGeometry(const FrameBuffers& frame, const StackFrameCall& call, FramePlan& plan) {
    const bool resampled = options_.Resampled && !options_.Drizzling;
    const SourceSize source = sourceSize(model_, frame, resampled);
    if (source.width <= 0 || source.height <= 0) return false;

    const Walk walk =
        planWalk(model_, run_, options_, source, resampled ? &plan.resampled : nullptr, plan.drizzle, call);
    const float f = run_.DrizzleFactor;
    fillAxis(plan.columns, walk.across, call.StackShiftX, resampled, plan.drizzle, f);
    fillAxis(plan.rows, walk.down, call.StackShiftY, resampled, plan.drizzle, f);
    keepFieldRows(model_, options_, call, plan.rows);
    planReach(call, plan);
    plan.shiftX = call.StackShiftX;
    plan.shiftY = call.StackShiftY;
    return true;
}

void StackAccumulator::resample(FrameBuffers& frame, const StackFrameCall& call, FramePlan& plan) {
    Bitmap24& preview = frame.Preview;
    // The dark and the flat go into the 8-bit frame before it is resampled.
    if (!model_.InputIsFIT && !model_.InputIsTIF) {
        const auto correct = [&](const PlaneTriple& planes, bool dark) {
            const int w = std::min(planes[0].xCount(), preview.width());
            const int h = std::min(planes[0].yCount(), preview.height());
            for (int y = 0; y < h; ++y) {
                std::uint8_t* row = preview.row(y);
                for (int x = 0; x < w; ++x)
                    for (int c = 0; c < 3; ++c) {
                        std::uint8_t& byte = row[3 * x + (2 - c)];
                        const float value =
                            dark ? byte - planes[c][x][y] * DarkScale : byte / planes[c][x][y];
                        byte = static_cast<std::uint8_t>(
                            ClampByte(roundToInt(std::clamp(value, -1.0f, 256.0f))));
                    }
            }
        };
        if (run_.useDark) correct(section_.DarkPlanes, true);
        if (run_.useFlat) correct(section_.FlatPlanes, false);
    }

    const ResampleWindow window = resampleWindow(model_, run_);
    const double rf = run_.ResampleFactor;
    const int sw = roundToInt(window.width / rf);
    const int sh = roundToInt(window.height / rf);
    if (sw < 1 || sh < 1 || window.width < 1 || window.height < 1) return;
    // The source window; what lies outside the frame reads as black.
    window_.resize(sw, sh);
    const int sx0 = roundToInt((window.left + call.StackShiftX) / rf);
    const int sy0 = roundToInt((window.top + call.StackShiftY) / rf);
    for (int y = 0; y < sh; ++y) {
        const int sy = sy0 + y;
        if (sy < 0 || sy >= preview.height()) continue;
        const int first = std::max(0, -sx0);
        const int last = std::min(sw, preview.width() - sx0);
        if (first < last)
            std::copy(preview.pixel(sx0 + first, sy), preview.pixel(sx0 + last, sy), window_.pixel(first, y));
    }
    plan.resampled.resize(window.width, window.height);
    const ResampleFilter& filter = resampleMethodFilter(std::clamp(options_.ResampleMethod, 0, 3));
    Stretch(window_, plan.resampled, filter.Filter, filter.Width);
}

namespace {

// The planes one band of stack columns adds into, and which of them a frame feeds. The planes
// are float arrays: the tile loop keeps this in a local so that a store into a plane is never
// taken to change what the loop reads next.
struct TileTargets {
    float* red = nullptr;
    float* green = nullptr;
    float* blue = nullptr;
    float* weight = nullptr;
    float* redWeight = nullptr;  // FITS colour input only, as are the luminance planes
    float* blueWeight = nullptr;
    float* lum = nullptr;
    float* lumWeight = nullptr;
    int yCount = 0;
    int bandBegin = 0;
    int bandEnd = 0;
    float b = 1.0f;          // brightness weight
    bool greenTaken = true;  // the green (mono) plane takes this frame
    bool redBlueTaken = false;
    bool fitsColour = false;  // each frame feeds its own channel
    int channel = 1;

    std::size_t cell(int X, int Y) const { return static_cast<std::size_t>(X) * yCount + Y; }
    bool inside(int X, int Y) const { return X >= bandBegin && X < bandEnd && Y >= 0 && Y < yCount; }
};

// The samples of frame column rx in `row` on the 0..255 scale: red, green, blue (or the mono
// value in green).
template <FrameSamples Kind, bool Colour>
[[gnu::always_inline]] inline void readSample(const PlanRow& row, int rx, const float* rawColumn, bool grey,
                                              const std::array<float, 3>& mix, float (&v)[3]) {
    if constexpr (Kind == FrameSamples::Bitmap) {
        const std::uint8_t* p = row.bytes + 3 * static_cast<std::size_t>(rx);
        if constexpr (Colour) {
            v[0] = p[2];
            v[1] = p[1];
            v[2] = p[0];
        } else {
            v[1] = p[2] * mix[0] + p[1] * mix[1] + p[0] * mix[2];
        }
    } else if constexpr (Kind == FrameSamples::HighBit) {
        const std::uint16_t* w = row.words + 3 * static_cast<std::size_t>(rx);
        const float r = grey ? w[1] : w[0];
        const float bl = grey ? w[1] : w[2];
        if constexpr (Colour) {
            v[0] = r * WordScale;
            v[1] = w[1] * WordScale;
            v[2] = bl * WordScale;
        } else {
            v[1] = (grey ? static_cast<float>(w[1]) : r * mix[0] + w[1] * mix[1] + bl * mix[2]) * WordScale;
        }
    } else {
        v[0] = v[1] = v[2] = rawColumn[row.ry];
    }
}

// The dark frame taken off and the flat field divided out at the read position.
template <bool Colour>
[[gnu::always_inline]] inline void calibrateSample(const ImageDataSection& section, bool useDark,
                                                   bool useFlat, int rx, int ry, float (&v)[3]) {
    for (int c = Colour ? 0 : 1; c <= (Colour ? 2 : 1); ++c) {
        if (useDark) v[c] -= section.DarkPlanes[c][rx][ry] * DarkScale;
        if (useFlat) v[c] /= section.FlatPlanes[c][rx][ry];
    }
}

// One sample into stack cell i with weight w: green (mono) with the weight, red and blue (or the
// channel of a FITS colour frame) beside it.
template <bool Colour>
[[gnu::always_inline]] inline void depositAt(const TileTargets& t, std::size_t i, const float (&v)[3],
                                             float rawValue, float w) {
    if (t.greenTaken) {
        t.green[i] += v[1] * w;
        t.weight[i] += w;
    }
    if constexpr (Colour) {
        if (t.redBlueTaken) {
            t.red[i] += v[0] * w;
            t.blue[i] += v[2] * w;
        } else if (t.fitsColour) {
            if (t.channel == 0) {
                t.red[i] += v[0] * w;
                t.redWeight[i] += w;
            } else if (t.channel == 2) {
                t.blue[i] += v[2] * w;
                t.blueWeight[i] += w;
            } else if (t.channel == 3) {
                t.lum[i] += rawValue * w;
                t.lumWeight[i] += w;
            }
        }
    }
}

// One sample to one stack pixel: column X lies in this band.
template <bool Colour>
[[gnu::always_inline]] inline void depositDirect(const TileTargets& t, int X, int Y, const float (&v)[3],
                                                 float rawValue) {
    if (Y < 0 || Y >= t.yCount) return;
    depositAt<Colour>(t, t.cell(X, Y), v, rawValue, t.b);
}

}  // namespace

// Whether a drizzled sample at stack position (X, Y) of frame position (x, y) is taken: the zone of
// the nearest alignment point decides (the map's, or the point nearest to where the point's own
// shift puts the sample).
bool StackAccumulator::drizzleZoneTaken(const FramePlan& plan, int x, int y, int X, int Y) const {
    if (!plan.multiPoint) return true;
    const StackPointSet& points = options_.Points;
    int p1 = 0;
    const Bitmap24* map = run_.nearestPoints;
    if (map && X >= 0 && Y >= 0 && X < map->width() && Y < map->height()) {
        p1 = map->pixel(X, Y)[2];
    } else {
        long long best = std::numeric_limits<long long>::max();
        for (int p = 1; p <= plan.points; ++p) {
            const long long ddx = x - plan.slotX[p] + plan.shiftX - points.PointPos[p].X;
            const long long ddy = y - plan.slotY[p] + plan.shiftY - points.PointPos[p].Y;
            const long long d = ddx * ddx + ddy * ddy;
            if (d <= best) {
                best = d;
                p1 = p;
            }
        }
    }
    return p1 >= 1 && p1 <= plan.points && plan.use[p1];
}

namespace {

// Adds value x weight over the drop around (X, Y) to the plane, and the weight to its weight
// plane (if any).
[[gnu::always_inline]] inline void depositDrops(const TileTargets& t, float* plane, float* weights,
                                                float value, const DropAxis& ax, const DropAxis& ay, int X,
                                                int Y) {
    const float b = t.b;
    for (int i = 0; i < ax.count; ++i) {
        const int cx = X + ax.first + i;
        if (cx < t.bandBegin || cx >= t.bandEnd) continue;
        for (int j = 0; j < ay.count; ++j) {
            const int cy = Y + ay.first + j;
            if (cy < 0 || cy >= t.yCount) continue;
            const float a = ax.weight[i] * ay.weight[j] * b;
            plane[t.cell(cx, cy)] += value * a;
            if (weights) weights[t.cell(cx, cy)] += a;
        }
    }
}

}  // namespace

// The clip test of the final sigma pass, on the green (mono) sample, recording the bright
// outliers as sigma events; false when the sample is left out.
bool StackAccumulator::passesClip(int X, int Y, float value, const FramePlan& plan, bool record,
                                  BandEvents& events) const {
    const T2dArrays& lowBound = section_.WorkPlanes[0];
    const T2dArrays& highBound = section_.WorkPlanes[1];
    if (X < 0 || Y < 0 || X >= lowBound.xCount() || Y >= lowBound.yCount()) return false;
    float low = lowBound[X][Y];
    float high = highBound[X][Y];
    if (low == high) {
        low -= 1.0f;
        high += 1.0f;
    }
    if (record && plan.events && value >= high && value > plan.lowPixel) {
        bool inBox = X > options_.SigmaBoxLeft && X < options_.SigmaBoxRight && Y > options_.SigmaBoxTop &&
                     Y < options_.SigmaBoxBottom;
        if (options_.INCLEXCLbox == 1) inBox = !inBox;
        if (inBox) events.add({X, Y, value, high});
    }
    return low < value && value < high;
}

// Running statistics of the first sigma pass, at the unshifted position, with a weight count of
// their own.
void StackAccumulator::addStatistics(std::size_t i, float value, float b) {
    float& n = sums_.StatisticsCount.data()[i];
    float& mean = sums_.Statistics[0].data()[i];
    float& maximum = sums_.Statistics[1].data()[i];
    float& m2 = sums_.Statistics[2].data()[i];
    const float delta = value - mean;
    mean += delta / (n + b);
    if (n == 0.0f || value > maximum) maximum = value;
    m2 += (value - mean) * delta;
    n += b;
}

namespace {

// The frame columns whose stack column lies in [bandBegin, bandEnd) when stack columns rise one
// per frame column (no drizzle): loop values from..to - 1.
struct ColumnSpan {
    int from;
    int to;
};
ColumnSpan bandColumns(const PlanAxis& cols, int bandBegin, int bandEnd) {
    const auto first = std::lower_bound(cols.canvas.begin(), cols.canvas.end(), bandBegin);
    const auto last = std::lower_bound(first, cols.canvas.end(), bandEnd);
    return {cols.lo + static_cast<int>(first - cols.canvas.begin()),
            cols.lo + static_cast<int>(last - cols.canvas.begin())};
}

}  // namespace

namespace {

// The planes of one band of stack columns and which of them a frame feeds.
template <class Plan>
TileTargets tileTargets(StackSums& sums, const Plan& plan, int bandBegin, int bandEnd, bool colour) {
    TileTargets t;
    t.yCount = sums.StackWeightPlane.yCount();
    t.bandBegin = bandBegin;
    t.bandEnd = bandEnd;
    t.red = sums.StackPlanes[0].data();
    t.green = sums.StackPlanes[1].data();
    t.blue = sums.StackPlanes[2].data();
    t.weight = sums.StackWeightPlane.data();
    if (plan.fitsColour) {
        t.redWeight = sums.RedWeightPlane.data();
        t.blueWeight = sums.BlueWeightPlane.data();
        t.lum = sums.LumPlane.data();
        t.lumWeight = sums.LumWeightPlane.data();
    }
    t.b = plan.b;
    t.fitsColour = plan.fitsColour;
    t.channel = plan.channel;
    t.greenTaken = !plan.fitsColour || plan.channel == 1;
    t.redBlueTaken = colour && !plan.fitsColour && !plan.firstPass;
    return t;
}

// Where the final sigma pass keeps what its clip leaves out: the same band, the rejected sums.
TileTargets rejectedTargets(StackSums& sums, const TileTargets& taken) {
    TileTargets t = taken;
    if (sums.RejectedWeight.empty()) return t;
    t.red = sums.Rejected[0].data();
    t.green = sums.Rejected[1].data();
    t.blue = sums.Rejected[2].data();
    t.weight = sums.RejectedWeight.data();
    t.fitsColour = false;
    t.greenTaken = true;
    return t;
}

}  // namespace

// The common case in a loop of its own: whole-pixel shift, rows in one run, no clip, no
// statistics, no per-channel FITS planes. Every stack pixel takes exactly the operations of the
// sample-by-sample loop (value x weight added to the sum, the weight to the weight plane), so the
// sums are the same to the bit; only the bookkeeping around them is hoisted out of the rows, and
// for float planes the rows become a contiguous run the compiler vectorises.
template <FrameSamples Kind, bool Colour, class Targets>
void StackAccumulator::addDirectRuns(const FramePlan& plan, const Targets& t) {
    const PlanAxis& cols = plan.columns;
    const std::vector<PlanRow>& rows = plan.rowList;
    // Rows k of the run land on stack rows Y0 + k; only those inside the plane are taken.
    const int Y0 = rows.front().Y;
    const int ry0 = rows.front().ry;
    const int kBegin = std::max(0, -Y0);
    const int kEnd = std::min(static_cast<int>(rows.size()), t.yCount - Y0);
    if (kBegin >= kEnd) return;
    const std::array<float, 3> mix = run_.LRGBWeights;
    const bool grey = plan.grey;
    const bool useDark = plan.darkFlat && run_.useDark;
    const bool useFlat = plan.darkFlat && run_.useFlat;
    const float b = t.b;
    const ColumnSpan span = bandColumns(cols, t.bandBegin, t.bandEnd);
    for (int x = span.from; x < span.to; ++x) {
        const int rx = cols.at(cols.read, x);
        if (rx < 0) continue;
        const std::size_t base = t.cell(cols.at(cols.canvas, x), Y0);
        float* __restrict green = t.green + base;
        float* __restrict weight = t.weight + base;
        if constexpr (Kind == FrameSamples::Raw) {
            if (!useDark && !useFlat) {
                const float* __restrict column = (*plan.raw)[rx] + ry0;
                if constexpr (Colour) {
                    float* __restrict red = t.red + base;
                    float* __restrict blue = t.blue + base;
                    for (int k = kBegin; k < kEnd; ++k) {
                        const float v = column[k];
                        green[k] += v * b;
                        weight[k] += b;
                        red[k] += v * b;
                        blue[k] += v * b;
                    }
                } else {
                    for (int k = kBegin; k < kEnd; ++k) {
                        green[k] += column[k] * b;
                        weight[k] += b;
                    }
                }
                continue;
            }
        }
        const float* rawColumn = Kind == FrameSamples::Raw ? (*plan.raw)[rx] : nullptr;
        for (int k = kBegin; k < kEnd; ++k) {
            const PlanRow& row = rows[static_cast<std::size_t>(k)];
            float v[3];
            readSample<Kind, Colour>(row, rx, rawColumn, grey, mix, v);
            if (useDark || useFlat) calibrateSample<Colour>(section_, useDark, useFlat, rx, row.ry, v);
            green[k] += v[1] * b;
            weight[k] += b;
            if constexpr (Colour) {
                t.red[base + static_cast<std::size_t>(k)] += v[0] * b;
                t.blue[base + static_cast<std::size_t>(k)] += v[2] * b;
            }
        }
    }
}

template <FrameSamples Kind, bool Colour, bool Direct>
void StackAccumulator::addTile(const FramePlan& plan, int bandBegin, int bandEnd, BandEvents& events) {
    const PlanAxis& cols = plan.columns;
    const PlanAxis& rowAxis = plan.rows;
    const TileTargets t = tileTargets(sums_, plan, bandBegin, bandEnd, Colour);
    const std::array<float, 3> mix = run_.LRGBWeights;
    const bool grey = plan.grey;
    const bool useDark = plan.darkFlat && run_.useDark;
    const bool useFlat = plan.darkFlat && run_.useFlat;
    const bool clip = plan.clip && (!plan.fitsColour || plan.channel == 1);
    const bool keepRejected = clip && !sums_.RejectedWeight.empty();
    const TileTargets rejected = rejectedTargets(sums_, t);
    const bool firstPass = plan.firstPass;
    if constexpr (Direct) {
        if (plan.rowRun && !clip && !firstPass && !plan.fitsColour && t.greenTaken &&
            t.redBlueTaken == Colour) {
            addDirectRuns<Kind, Colour>(plan, t);
            return;
        }
    }

    for (int x = cols.lo; x <= cols.hi; ++x) {
        const int rx = cols.at(cols.read, x);
        if (rx < 0) continue;
        const int X = cols.at(cols.canvas, x);
        if (X + plan.reachRight < bandBegin || X - plan.reachLeft >= bandEnd) continue;
        const float* rawColumn = Kind == FrameSamples::Raw ? (*plan.raw)[rx] : nullptr;

        for (const PlanRow& row : plan.rowList) {
            const int y = row.y;
            const int Y = row.Y;
            float v[3];
            readSample<Kind, Colour>(row, rx, rawColumn, grey, mix, v);
            const float rawValue = v[1];
            if (useDark || useFlat) calibrateSample<Colour>(section_, useDark, useFlat, rx, row.ry, v);
            // FITS colour frames of other channels are not measured against the green bounds.
            if (clip && !passesClip(X, Y, v[1], plan, X >= bandBegin && X < bandEnd, events)) {
                if (keepRejected && t.inside(X, Y))
                    depositAt<Colour>(rejected, t.cell(X, Y), v, rawValue, t.b);
                continue;
            }

            if constexpr (Direct) {
                depositDirect<Colour>(t, X, Y, v, rawValue);
            } else {
                if (!drizzleZoneTaken(plan, x, y, X, Y)) continue;
                const DropAxis& ax = cols.drop[static_cast<std::size_t>(x - cols.lo)];
                const DropAxis& ay = rowAxis.drop[static_cast<std::size_t>(y - rowAxis.lo)];
                const auto deposit = [&](float* plane, float* weights, float value) {
                    depositDrops(t, plane, weights, value, ax, ay, X, Y);
                };
                if (t.greenTaken) deposit(t.green, t.weight, v[1]);
                if constexpr (Colour) {
                    if (t.redBlueTaken) {
                        deposit(t.red, nullptr, v[0]);
                        deposit(t.blue, nullptr, v[2]);
                    } else if (t.fitsColour) {
                        if (t.channel == 0) deposit(t.red, t.redWeight, v[0]);
                        if (t.channel == 2) deposit(t.blue, t.blueWeight, v[2]);
                        if (t.channel == 3) deposit(t.lum, t.lumWeight, rawValue);
                    }
                }
            }

            if (firstPass && t.greenTaken && t.inside(X, Y)) addStatistics(t.cell(X, Y), v[1], t.b);
        }
    }
}

// Alignment-point zones are filled from the stack side: every stack pixel belongs to the zone of
// its nearest point, and takes the frame's sample that the zone's own shift brings there (and
// near a seam, blended, the sample the neighbouring zone's shift brings). So the zones tile the
// stack whatever their shifts: no stack pixel is left out where two zones' shifts part, and none
// is given two samples of one frame where they meet.
template <FrameSamples Kind, bool Colour>
void StackAccumulator::addZones(const FramePlan& plan, int bandBegin, int bandEnd, BandEvents& events) {
    const PlanAxis& cols = plan.columns;
    const PlanAxis& rows = plan.rows;
    const TileTargets t = tileTargets(sums_, plan, bandBegin, bandEnd, Colour);
    const std::array<float, 3> mix = run_.LRGBWeights;
    const bool useDark = plan.darkFlat && run_.useDark;
    const bool useFlat = plan.darkFlat && run_.useFlat;
    const bool clip = plan.clip && (!plan.fitsColour || plan.channel == 1);
    const bool keepRejected = clip && !sums_.RejectedWeight.empty();
    const TileTargets rejected = rejectedTargets(sums_, t);
    const int colCount = static_cast<int>(cols.canvas.size());
    const int rowCount = static_cast<int>(rows.canvas.size());
    if (colCount == 0 || rowCount == 0) return;
    // Loop value v lies on stack position v + offset along each axis.
    const int colOffset = cols.canvas.front() - cols.lo;
    const int rowOffset = rows.canvas.front() - rows.lo;

    // The frame's sample for stack position (X, Y) of the frame's own placement, calibrated and
    // clip-tested.
    enum class Sample { None, Taken, Rejected };
    const auto sampleAt = [&](int X, int Y, bool record, float(&v)[3], float& rawValue) {
        const int i = X - colOffset - cols.lo;
        const int j = Y - rowOffset - rows.lo;
        if (i < 0 || i >= colCount || j < 0 || j >= rowCount) return Sample::None;
        const int rx = cols.read[static_cast<std::size_t>(i)];
        const int ry = rows.read[static_cast<std::size_t>(j)];
        if (rx < 0 || ry < 0) return Sample::None;
        PlanRow row{0, ry, Y, nullptr, nullptr};
        if constexpr (Kind == FrameSamples::Bitmap) row.bytes = plan.bitmap->row(ry);
        if constexpr (Kind == FrameSamples::HighBit) row.words = plan.highBit->HighBitRow(ry);
        const float* rawColumn = Kind == FrameSamples::Raw ? (*plan.raw)[rx] : nullptr;
        readSample<Kind, Colour>(row, rx, rawColumn, plan.grey, mix, v);
        rawValue = v[1];
        if (useDark || useFlat) calibrateSample<Colour>(section_, useDark, useFlat, rx, ry, v);
        return !clip || passesClip(X, Y, v[1], plan, record, events) ? Sample::Taken : Sample::Rejected;
    };
    // A sample into stack pixel (T, Y) with weight w, or into the rejected sums.
    const auto deposit = [&](Sample sample, int T, int Y, const float(&v)[3], float rawValue, float w) {
        if (sample == Sample::Taken) depositAt<Colour>(t, t.cell(T, Y), v, rawValue, w);
        if (sample == Sample::Rejected && keepRejected)
            depositAt<Colour>(rejected, t.cell(T, Y), v, rawValue, w);
    };

    const ZoneMap& zones = *zones_;
    const int end = std::min(bandEnd, zones.width);
    const int height = std::min(t.yCount, zones.height);
    const bool plain = plan.rowRun && !clip && !useDark && !useFlat && !plan.fitsColour && t.greenTaken &&
                       t.redBlueTaken == Colour;
    for (int T = bandBegin; T < end; ++T) {
        for (std::size_t r = zones.columnRuns[T]; r < zones.columnRuns[T + 1]; ++r) {
            const ZoneMap::Run& run = zones.runs[r];
            const int p1 = run.point;
            if (p1 < 1 || p1 > plan.points || !plan.use[p1]) continue;
            if (run.blended) {
                for (int Y = run.begin; Y < std::min(run.end, height); ++Y) {
                    float v[3] = {}, rawValue = 0.0f;
                    deposit(sampleAt(T - plan.offsetX[p1], Y - plan.offsetY[p1], true, v, rawValue), T, Y, v,
                            rawValue, t.b);
                    const std::size_t z = zones.cell(T, Y);
                    const int p2 = zones.second[z];
                    if (p2 >= 1 && p2 <= plan.points && plan.use[p2])
                        deposit(sampleAt(T - plan.offsetX[p2], Y - plan.offsetY[p2], false, v, rawValue), T,
                                Y, v, rawValue, zones.blend[z] * t.b);
                }
                continue;
            }
            // One zone down the column: one frame column, the rows moved alike.
            const int X = T - plan.offsetX[p1];
            const int i = X - colOffset - cols.lo;
            if (i < 0 || i >= colCount) continue;
            const int rx = cols.read[static_cast<std::size_t>(i)];
            if (rx < 0) continue;
            const float* rawColumn = Kind == FrameSamples::Raw ? (*plan.raw)[rx] : nullptr;
            const int moveY = plan.offsetY[p1];
            const int shift = -moveY - rowOffset - rows.lo;  // row index of stack row Y: Y + shift
            const int first = std::max(run.begin, -shift);
            const int last = std::min({run.end, height, rowCount - shift});
            if (plain) {
                // Every row read, nothing clipped or calibrated: the sums of the column's run
                // taken in one loop, as the one-box stack does.
                const float b = t.b;
                const int from = std::max(first, plan.rowAtRead.first - shift);
                const int to = std::min(last, plan.rowAtRead.second - shift);
                float* __restrict green = t.green + t.cell(T, 0);
                float* __restrict weight = t.weight + t.cell(T, 0);
                for (int Y = from; Y < to; ++Y) {
                    float v[3];
                    readSample<Kind, Colour>(plan.rowAt[static_cast<std::size_t>(Y + shift)], rx, rawColumn,
                                             plan.grey, mix, v);
                    green[Y] += v[1] * b;
                    weight[Y] += b;
                    if constexpr (Colour) {
                        t.red[t.cell(T, Y)] += v[0] * b;
                        t.blue[t.cell(T, Y)] += v[2] * b;
                    }
                }
                continue;
            }
            for (int Y = first; Y < last; ++Y) {
                const PlanRow& row = plan.rowAt[static_cast<std::size_t>(Y + shift)];
                if (row.ry < 0) continue;
                float v[3];
                readSample<Kind, Colour>(row, rx, rawColumn, plan.grey, mix, v);
                const float rawValue = v[1];
                if (useDark || useFlat) calibrateSample<Colour>(section_, useDark, useFlat, rx, row.ry, v);
                const Sample sample = !clip || passesClip(X, Y - moveY, v[1], plan, true, events)
                                          ? Sample::Taken
                                          : Sample::Rejected;
                deposit(sample, T, Y, v, rawValue, t.b);
            }
        }
    }
    if (!plan.firstPass || !t.greenTaken) return;
    // The statistics of the first sigma pass follow the frame's own placement, sample by sample,
    // as the clip of the final pass tests them.
    for (int i = 0; i < colCount; ++i) {
        const int X = cols.canvas[static_cast<std::size_t>(i)];
        const int rx = cols.read[static_cast<std::size_t>(i)];
        if (X < bandBegin || X >= bandEnd || rx < 0) continue;
        const float* rawColumn = Kind == FrameSamples::Raw ? (*plan.raw)[rx] : nullptr;
        for (const PlanRow& row : plan.rowList) {
            if (row.Y < 0 || row.Y >= t.yCount) continue;
            float v[3];
            readSample<Kind, Colour>(row, rx, rawColumn, plan.grey, mix, v);
            if (useDark || useFlat) calibrateSample<Colour>(section_, useDark, useFlat, rx, row.ry, v);
            addStatistics(t.cell(X, row.Y), v[1], t.b);
        }
    }
}

void StackAccumulator::addBand(const FramePlan& plan, int bandBegin, int bandEnd, BandEvents& events) {
    const auto add = [&]<FrameSamples Kind, bool Colour>() {
        if (plan.drizzle)
            addTile<Kind, Colour, false>(plan, bandBegin, bandEnd, events);
        else if (plan.multiPoint)
            addZones<Kind, Colour>(plan, bandBegin, bandEnd, events);
        else
            addTile<Kind, Colour, true>(plan, bandBegin, bandEnd, events);
    };
    switch (plan.kind) {
        case FrameSamples::Bitmap:
            plan.colour ? add.template operator()<FrameSamples::Bitmap, true>()
                        : add.template operator()<FrameSamples::Bitmap, false>();
            break;
        case FrameSamples::HighBit:
            plan.colour ? add.template operator()<FrameSamples::HighBit, true>()
                        : add.template operator()<FrameSamples::HighBit, false>();
            break;
        case FrameSamples::Raw:
            plan.colour ? add.template operator()<FrameSamples::Raw, true>()
                        : add.template operator()<FrameSamples::Raw, false>();
            break;
    }
}

void StackAccumulator::StackFrame(FrameBuffers& frame, const StackFrameCall& call, float Brightness) {
    queueFrame(frame, call, Brightness);
    flush();
}

void StackAccumulator::queueFrame(FrameBuffers& frame, const StackFrameCall& call, float Brightness) {
    auto owned = std::make_unique<FramePlan>();
    FramePlan& plan = *owned;
    plan.frameIndex = call.StackFrameIndex;
    plan.firstPass = options_.Statistical && !options_.SigmaFinalPass;
    plan.clip = options_.Statistical && options_.SigmaFinalPass;
    plan.events = plan.clip && options_.Recordsigma && options_.SigmaEvents != nullptr;
    plan.lowPixel = static_cast<float>(roundToInt(options_.Lowpixdetect));
    plan.drizzle = options_.Drizzling;
    planPoints(call, Brightness, plan);
    if (plan.multiPoint &&
        std::none_of(plan.use.begin() + 1, plan.use.begin() + plan.points + 1, [](bool use) { return use; }))
        return;

    const bool resampled = options_.Resampled && !options_.Drizzling;
    plan.kind = resampled ? FrameSamples::Bitmap : frame.Samples;
    if (options_.Stackfilterset && plan.kind == FrameSamples::Bitmap && frame.Preview.width() > 0)
        Convolve3x3(options_.Kernel3x3, frame.Preview, options_.Colourstack);
    plan.bitmap = &frame.Preview;
    if (resampled) {
        resample(frame, call, plan);
        if (plan.resampled.empty()) return;
        plan.bitmap = &plan.resampled;
    }
    if (!planGeometry(frame, call, plan)) return;
    if (model_.InputIsFIT || model_.InputIsSER) ++channelFrameCount_[std::clamp(frame.FrameChannel, 0, 3)];

    plan.highBit = &frame.HighBitFrame;
    plan.raw = &frame.RawFramePlane;
    plan.grey = frame.Grey;
    plan.channel = std::clamp(frame.FrameChannel, 0, 3);
    plan.darkFlat = !resampled && (run_.useDark || run_.useFlat);
    plan.fitsColour = options_.Colourstack && model_.InputIsFIT;
    plan.colour = options_.Colourstack;
    for (int y = plan.rows.lo; y <= plan.rows.hi; ++y) {
        const int ry = plan.rows.at(plan.rows.read, y);
        PlanRow row{y, ry, plan.rows.at(plan.rows.canvas, y), nullptr, nullptr};
        if (ry >= 0 && plan.kind == FrameSamples::Bitmap) row.bytes = plan.bitmap->row(ry);
        if (ry >= 0 && plan.kind == FrameSamples::HighBit) row.words = plan.highBit->HighBitRow(ry);
        if (ry >= 0) {
            if (plan.rowList.empty()) plan.rowAtRead.first = static_cast<int>(plan.rowAt.size());
            plan.rowAtRead.second = static_cast<int>(plan.rowAt.size()) + 1;
            plan.rowList.push_back(row);
        }
        if (plan.multiPoint && !plan.drizzle) plan.rowAt.push_back(row);
    }
    plan.rowRun = !plan.drizzle && !plan.rowList.empty();
    for (std::size_t k = 1; k < plan.rowList.size() && plan.rowRun; ++k) {
        const PlanRow& before = plan.rowList[k - 1];
        plan.rowRun = plan.rowList[k].ry == before.ry + 1 && plan.rowList[k].Y == before.Y + 1;
    }
    queue_.push_back(std::move(owned));
}

void StackAccumulator::flush() {
    if (queue_.empty()) return;
    const int planeColumns = sums_.StackWeightPlane.xCount();
    const int bands = (planeColumns + BandColumns - 1) / BandColumns;
    const std::size_t frames = queue_.size();
    // events[frame][band]
    std::vector<BandEvents> events(frames * static_cast<std::size_t>(bands));
    parallelFor(0, bands, [&](std::ptrdiff_t band) {
        const int begin = static_cast<int>(band) * BandColumns;
        const int end = std::min(planeColumns, begin + BandColumns);
        for (std::size_t f = 0; f < frames; ++f)
            addBand(*queue_[f], begin, end,
                    events[f * static_cast<std::size_t>(bands) + static_cast<std::size_t>(band)]);
    });
    for (std::size_t f = 0; f < frames; ++f) {
        const FramePlan& plan = *queue_[f];
        if (!plan.events) continue;
        std::vector<SigmaEvent> frameEvents;
        std::size_t found = 0;
        for (int band = 0; band < bands; ++band) {
            const BandEvents& list =
                events[f * static_cast<std::size_t>(bands) + static_cast<std::size_t>(band)];
            frameEvents.insert(frameEvents.end(), list.kept.begin(), list.kept.end());
            found += list.found;
        }
        // The brightest of the frame, whatever band they came from.
        if (frameEvents.size() > SigmaEventsPerFrame) {
            std::nth_element(frameEvents.begin(), frameEvents.begin() + SigmaEventsPerFrame,
                             frameEvents.end(), brighterEvent);
            frameEvents.resize(SigmaEventsPerFrame);
        }
        std::sort(frameEvents.begin(), frameEvents.end(), [](const SigmaEvent& a, const SigmaEvent& b) {
            return a.Y != b.Y ? a.Y < b.Y : a.X < b.X;
        });
        if (!frameEvents.empty()) options_.SigmaEvents->frameEvents(plan.frameIndex, frameEvents, found);
    }
    queue_.clear();
}

}  // namespace kestrave
