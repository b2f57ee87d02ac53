#pragma once
// The description of the current input that every stage of the pipeline shares: one record per
// frame with what alignment, grading, optimizing and stacking found out about it, the quality
// ranking, the kind of source and where its frames come from, and the sizes. The application
// owns one FrameModel and passes it by reference; tests build their own.
//
// Frames are addressed by one global index, 0 for the first frame of the input, counting on
// across all files of a multi-file AVI input and across the files of a still-frame series.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

namespace kestrave {

// Highest frame index an input may use: 10001 frames in all.
inline constexpr int MaxFrameIndex = 10000;
inline constexpr int FrameCapacity = MaxFrameIndex + 1;
// Alignment slots per frame: slot 0 the whole frame on the main feature, slots 1..99 the
// alignment points.
inline constexpr int AlignSlotCount = 100;
// AVI files of one multi-file input.
inline constexpr int MaxAviSegments = 101;
// Largest frame width and height accepted; larger inputs are clamped to it.
inline constexpr int MaxFrameSize = 4096;

// A table of fixed length whose every access is checked: an index outside 0..N-1 throws
// std::out_of_range instead of reaching past the table.
//
// The tables are large and an input mostly uses their first records, so a record is made only
// when it is first used, as a copy of the table's fresh record, which starts as T{} and goes
// through every change forEach makes. Memory of records never used is never touched. Records may
// be used from several threads at once (each writing its own record).
template <typename T, int N>
class CappedTable {
public:
    CappedTable() : items_(std::allocator<T>().allocate(N)) {}
    ~CappedTable() {
        std::destroy_n(items_, made_.load());
        std::allocator<T>().deallocate(items_, N);
    }
    CappedTable(const CappedTable&) = delete;
    CappedTable& operator=(const CappedTable&) = delete;

    static constexpr int size() { return N; }
    T& operator[](int i) {
        const std::size_t k = checked(i);
        if (k >= made_.load(std::memory_order_acquire)) makeUpTo(k + 1);
        return items_[k];
    }
    const T& operator[](int i) const {
        const std::size_t k = checked(i);
        if (k >= made_.load(std::memory_order_acquire)) makeUpTo(k + 1);
        return items_[k];
    }

    // Applies `change` to every record of the table (to those not yet made through the fresh
    // record), at the cost of the records made so far.
    template <typename Change>
    void forEach(Change&& change) {
        const std::size_t made = made_.load(std::memory_order_acquire);
        for (std::size_t k = 0; k < made; ++k) change(items_[k]);
        change(fresh_);
    }

    // Iterating makes every record.
    T* begin() {
        makeUpTo(N);
        return items_;
    }
    T* end() {
        makeUpTo(N);
        return items_ + N;
    }

private:
    static std::size_t checked(int i) {
        if (i < 0 || i >= N) {
            throw std::out_of_range("table index " + std::to_string(i) + " outside 0.." +
                                    std::to_string(N - 1));
        }
        return static_cast<std::size_t>(i);
    }
    void makeUpTo(std::size_t count) const {
        const std::lock_guard lock(growing_);
        std::size_t made = made_.load(std::memory_order_relaxed);
        for (; made < count; ++made) std::construct_at(items_ + made, fresh_);
        if (made > made_.load(std::memory_order_relaxed)) made_.store(made, std::memory_order_release);
    }

    T* items_;
    T fresh_{};
    // Reading a record makes it too, so that a reference to it stays valid after a write.
    mutable std::atomic<std::size_t> made_{0};
    mutable std::mutex growing_;
};

// The difference of an alignment slot that was never measured (a point the "Simple" setup gave
// point 1's shifts, a frame an optimizer run restarts).
inline constexpr float NotMeasuredDifference = 1e7f;

// A position in frame pixels: x to the right, y down.
struct PointXY {
    int X = 0;
    int Y = 0;
};

// One alignment result: of the whole frame (slot 0) or of one alignment point's box.
struct TAlignSlotRec {
    std::int32_t X = 0;  // measured shift in whole pixels against the feature or point position
    std::int32_t Y = 0;
    float Quality = 0.0f;     // grade by the selected quality method; the ranking's sort key
    float Difference = 0.0f;  // mean squared difference against the reference after mean removal
    std::int32_t SavedX = 0;  // the shift as the alignment pass found it (optimizer start point)
    std::int32_t SavedY = 0;
    float Peak = 0.0f;        // height of the correlation maximum
    float Brightness = 0.0f;  // slot 0: relative to the mean of all frames; slot p: in point p's box
    // The unit of X and Y: pixels of the frame enlarged by this factor. The alignment measures in
    // frame pixels (1); an optimizer step on resampled frames leaves resampled pixels (the
    // resampling factor). SavedX and SavedY are always frame pixels. Whoever writes X and Y
    // writes their unit with them; whoever reads them converts with shiftAtScale.
    float ShiftScale = 1.0f;
};

// A slot's shift in pixels of the frame enlarged by `scale` (1: frame pixels), rounded half to
// even; exactly X and Y when they are already in that unit.
struct SlotShift {
    int X = 0;
    int Y = 0;
};
SlotShift shiftAtScale(const TAlignSlotRec& slot, double scale);
// How many pixels at `scale` one pixel of the slot's unit spans (a unit that is not a positive
// factor counts as frame pixels).
double shiftRatio(const TAlignSlotRec& slot, double scale);

struct TFrameRec {
    TAlignSlotRec Slots[AlignSlotCount];
    float SubPixelX = 0.0f;  // sub-pixel part of the shift from the last optimizer step
    float SubPixelY = 0.0f;
    float AlignDifference = 0.0f;  // slot 0's Difference as the alignment pass measured it
    float Improvement = 0.0f;      // improvement of the last optimizer step, percent
    bool Excluded = false;         // takes no part in stacking
    bool Dropped = false;          // the AVI sample of this frame is empty
    // The frame's rotation against the reference frame, degrees, from alignment points 1 and 2 of
    // the multi-point setup. (The correlation peak of the alignment has its own field: slot 0's
    // Peak.)
    float Angle = 0.0f;
    float MeanBrightness = 0.0f;  // mean brightness inside the alignment box
};

struct TRankRec {
    std::int32_t Frame = 0;  // index into FrameTable
    float Key = 0.0f;        // the sort key (slot 0's Quality, or a point's quality)
    float SavedKey = 0.0f;   // scratch copy kept by the frame limit
};

enum class TInputType : std::uint8_t {
    itAVI = 0,
    itBMP = 1,
    itFIT = 2,
    itJPG = 3,
    itTIF = 4,
    itPNG = 5,
    itSER = 6
};

struct TAviSegmentRec {
    std::string FileName;         // full path
    std::int32_t FrameCount = 0;  // frames in that file
    std::int32_t FirstFrame = 0;  // global index of its first frame
    std::int32_t LastFrame = 0;   // FirstFrame + FrameCount - 1
};

struct FrameModel {
    FrameModel() = default;
    // The tables take tens of megabytes: the model is passed by reference, never copied.
    FrameModel(const FrameModel&) = delete;
    FrameModel& operator=(const FrameModel&) = delete;

    CappedTable<TFrameRec, FrameCapacity> FrameTable;
    // The frames in quality order once the alignment pass has ranked them; valid while
    // FramesRanked is set.
    CappedTable<TRankRec, FrameCapacity> FrameRanking;
    bool FramesRanked = false;

    // Kind of input. At most one of the InputIs… flags of a file type is set; all are clear for
    // BMP and AVI. InputIsSeries is set for every still-frame series and for SER.
    TInputType InputType = TInputType::itAVI;
    bool InputIsSeries = false;
    bool InputIsJPG = false;
    bool InputIsFIT = false;
    bool InputIsTIF = false;
    bool InputIsPNG = false;
    bool InputIsSER = false;
    bool InputPNG16 = false;     // the PNG frames carry 16 bits per sample
    bool SingleImage = false;    // the input is one still image: no alignment
    bool FitStretch = false;     // stretch the intensity levels of FITS frames
    bool TifStretch = false;     // stretch the intensity levels of TIFF frames
    bool SerStretch = false;     // stretch the intensity levels of SER frames
    bool DroppedFrames = false;  // the AVI reader met at least one dropped frame

    // Sources. FrameNames holds one full path per frame of a still-frame series ("Frame i" for
    // SER input). AviName is the first chosen file's name without folder; SerName the SER file.
    CappedTable<std::string, FrameCapacity> FrameNames;
    std::string AviName;
    std::string SerName;
    // The files of a multi-file AVI input; avicount is the index of the last used entry (0 for a
    // single AVI, which is read through AviName without the table).
    CappedTable<TAviSegmentRec, MaxAviSegments> AviSegments;
    int avicount = 0;
    // The dark frame and flat field loaded last and their file types (1 bitmap, 2 special FITS,
    // 3 FITS, 4 PNG; -1 none); a project names them so that they are loaded again with it.
    std::string DarkFileName;
    int DarkFileType = -1;
    std::string FlatFileName;
    int FlatFileType = -1;

    // Sizes in pixels: as the source reports them, after clamping to MaxFrameSize, and of the
    // working image (the frame at input time, the stacked image after stacking).
    int FrameWidthRaw = 0;
    int FrameHeightRaw = 0;
    int FrameWidth = 0;
    int FrameHeight = 0;
    int ImageWidth = 0;
    int ImageHeight = 0;

    // Frames selected for processing (not Excluded).
    int usedframes = 0;

    // Fills entry i of AviSegments for a file of frameCount frames that follows entry i - 1
    // (entry 0 starts at frame 0). Throws std::out_of_range for i outside 0..MaxAviSegments-1.
    void setAviSegment(int i, std::string fileName, int frameCount);
    // The entry among 0..avicount whose frame range holds the global frame index, or -1.
    int aviSegmentOf(int frame) const;
};

}  // namespace kestrave
