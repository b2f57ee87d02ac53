#pragma once
// The seam through which every per-frame pass (alignment, stacking) gets its frames: a reader of
// the current input fills one set of hand-over objects with frame i and says which of them holds
// the samples. A pass asks for its frames through a FramePrefetcher, which decodes the next
// frames on worker threads into hand-over sets of their own while the pass works on the current
// one, and hands the frames over strictly in the order of the pass.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "codecs/tiff_bitmap.h"
#include "frames/plane.h"
#include "platform/bitmap24.h"
#include "platform/level_bitmap.h"

namespace kestrave {

// Which hand-over object carries the samples of a frame.
enum class FrameSamples {
    Bitmap,   // Preview: 8 bits per sample (AVI, BMP, JPEG, 8-bit PNG, debayered SER)
    HighBit,  // HighBitFrame: 16-bit words (TIFF, 16-bit PNG, high-bit AVI)
    Raw,      // RawFramePlane: float samples as the file holds them (FITS, SER without debayering)
};

// The parts of a frame a pass reads. Raw frames keep their samples apart from their picture, so a
// read builds only the parts asked for and leaves the other empty: the alignment and the
// optimizer look at the picture alone, the stacking at the samples alone. Frames of the other
// kinds always fill the preview (and the 16-bit frame where they have one).
enum class FrameParts {
    Both,
    Preview,  // the 8-bit picture
    Samples,  // the object that holds the samples: for a Raw frame, RawFramePlane alone
    Levels,   // the grey picture as one byte per pixel alone (Levels), from a source that makes it
};

// One set of hand-over objects.
struct FrameBuffers {
    // The preview bitmap (24 bits, B, G, R). Always filled for Bitmap frames; readers of the
    // other kinds may fill it with their 8-bit view as well.
    Bitmap24 Preview;
    // The grey picture's levels, one byte per pixel (asked for as FrameParts::Levels alone).
    LevelBitmap Levels;
    // 16-bit R, G, B words per pixel, row 0 the top row.
    TTIFFBitMap HighBitFrame;
    // Float samples [x][y].
    T2dArrays RawFramePlane;
    // Colour channel of a FITS or SER frame: 0 red, 1 green or grey, 2 blue, 3 luminance.
    int FrameChannel = 1;
    // A HighBit frame that carries one grey value per pixel, in its green word (the red and blue
    // words are 0).
    bool Grey = false;
    FrameSamples Samples = FrameSamples::Bitmap;
    // What the reader is to fill (set by the one who asks for the frame), and the rows of the
    // preview the pass reads when it asks for the preview alone (a reader may leave the others as
    // they were).
    FrameParts Parts = FrameParts::Both;
    RowBand PreviewRows;
};

inline bool wantsPreview(const FrameBuffers& buffers) {
    return buffers.Parts == FrameParts::Both || buffers.Parts == FrameParts::Preview;
}
inline bool wantsSamples(const FrameBuffers& buffers) {
    return buffers.Parts == FrameParts::Both || buffers.Parts == FrameParts::Samples;
}

class FrameSource {
public:
    virtual ~FrameSource() = default;
    // Reads frame `frame` (global index) of the current input into `into` and returns which
    // object holds its samples. Failures throw a KestraveError with the reader's message.
    virtual FrameSamples readFrame(int frame, FrameBuffers& into) = 0;
    // How many readFrame calls may run at once, each on its own FrameBuffers. A reader that keeps
    // state between calls answers 1 (the default); its reads still overlap the pass's own work.
    virtual int maxConcurrentReads() const { return 1; }
    // Whether a read of the preview alone makes only the rows asked for (PreviewRows); readers
    // that always make the whole picture answer false (the default).
    virtual bool makesPreviewBands() const { return false; }
    // Whether the source's preview is grey and it can make its levels alone (FrameParts::Levels,
    // in bands when it makes preview bands); the default cannot.
    virtual bool makesLevels() const { return false; }
};

// Frames read ahead of a pass: one per thread, as far as `budget` bytes of frames of `frameBytes`
// each allow, and at least 2.
inline constexpr std::size_t ReadAheadBytes = std::size_t{64} << 20;
int readAheadDepth(std::size_t frameBytes, std::size_t budget = ReadAheadBytes);

// Reads a list of frames ahead of the pass. With more than one thread available (threadCount),
// worker threads decode up to `depth` frames beyond those the pass holds; with one thread every
// frame is read when it is asked for. Either way next() returns the frames in list order, each
// read with the parts the pass asked for.
class FramePrefetcher {
public:
    // The preview rows the pass reads of the frame at a list position, asked when its read starts
    // (on a reading thread).
    using RowsOf = std::function<RowBand(std::size_t position)>;
    // The pass holds about `hold` frames at a time (when it holds more, next() waits for one to be
    // given back before a free slot takes the frame). `rows`: none (whole pictures), or the rows
    // to ask a source for that makes bands; every frame handed over says in PreviewRows which rows
    // its preview holds.
    FramePrefetcher(FrameSource& source, std::vector<int> frames, int depth = 4, int hold = 1,
                    FrameParts parts = FrameParts::Both, RowsOf rows = {});
    // Stops the workers (a read in progress finishes first) and discards frames not taken.
    ~FramePrefetcher();
    FramePrefetcher(const FramePrefetcher&) = delete;
    FramePrefetcher& operator=(const FramePrefetcher&) = delete;

    // The next frame of the list; it stays valid until the pass releases it. Rethrows the error
    // its read raised. Must not be called after the last frame. Safe to call from several threads.
    FrameBuffers& next();
    // The same, saying which list position the frame has (for release(position)).
    FrameBuffers& next(std::size_t& position);
    // Gives the oldest held frame back.
    void release();
    // Gives the frame at list `position` back, held frames in any order (its slot is read into
    // again at once). Safe to call from any thread.
    void release(std::size_t position);
    std::size_t size() const { return frames_.size(); }

private:
    enum class SlotState { Free, Reading, Ready, Held };
    struct Slot {
        FrameBuffers buffers;
        std::size_t job = 0;
        SlotState state = SlotState::Free;
        std::exception_ptr error;
    };
    // A worker's loop; `alone`: it converts its frames on its own thread.
    void work(bool alone);
    void read(Slot& slot, std::size_t job);
    // The first slot in `state` (holding list position `job` unless any job does), or nullptr.
    Slot* find(SlotState state, std::size_t job = SIZE_MAX);

    FrameSource& source_;
    std::vector<int> frames_;
    RowsOf rows_;
    // A slot is read into only while free: a frame the pass holds is never overwritten, whatever
    // the order in which the frames are given back.
    std::vector<Slot> slots_;
    std::size_t nextJob_ = 0;     // next list position a worker takes
    std::size_t nextHanded_ = 0;  // next list position next() returns
    int waiting_ = 0;             // calls of next() waiting for their frame
    bool stopping_ = false;
    std::mutex mutex_;
    // Each wakes only the threads that can go on: a worker (or, without workers, a caller of
    // next()) when a slot is given back, the pass when a frame it waits for is ready.
    std::condition_variable slotFree_;
    std::condition_variable frameReady_;
    std::vector<std::thread> workers_;
};

}  // namespace kestrave
