// Dark frames and flat fields: the first byte picks the file type (bitmap, special FITS, FITS,
// PNG), dark or flat and dialog or project; the rest is the file. A load fills three planes of
// the size it reports with finite values (a flat never exactly 0), or fails with a message and
// leaves the zeroed 2 x 2 set.

#include <cmath>

#include "frames/calibration_frames.h"
#include "fuzz_support.h"

using namespace kestrave;

namespace {

class QuietPort : public MessagePort {
public:
    std::uint16_t show(const Message&) override { return mrOk; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const int type = BitmapCalibration + data[0] % 4;
    const CalibrationKind kind = data[0] & 4 ? CalibrationKind::Flat : CalibrationKind::Dark;
    const CalibrationOrigin origin = data[0] & 8 ? CalibrationOrigin::Project : CalibrationOrigin::Dialog;
    static const char* const names[] = {"input.bmp", "input.fit", "input.fit", "input.png"};
    const auto path = fuzz::writeInput({data + 1, size - 1}, names[type - BitmapCalibration]);
    PlaneTriple planes;
    QuietPort messages;
    try {
        const CalibrationLoad load = loadCalibrationFrame(path, type, kind, origin, planes, messages);
        FUZZ_CHECK(load.loaded);
        FUZZ_CHECK(load.width >= 1 && load.width <= MaxFrameSize && load.height >= 1 &&
                   load.height <= MaxFrameSize);
        FUZZ_CHECK(planesMatchFrame(planes, load.width, load.height));
        for (const T2dArrays& plane : planes)
            for (std::size_t i = 0; i < plane.cellCount(); ++i) {
                const float v = plane.data()[i];
                FUZZ_CHECK(std::isfinite(v));
                if (kind == CalibrationKind::Flat) FUZZ_CHECK(v != 0.0f);
            }
    } catch (const KestraveError&) {
        FUZZ_CHECK(planesMatchFrame(planes, 2, 2));
    } catch (const std::exception& other) {
        fuzz::readerThrew(&other);
    }
    return 0;
}
