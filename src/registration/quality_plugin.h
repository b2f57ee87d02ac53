#pragma once
// The quality plug-in: a shared library "libquality.so" that grades the aligned box of a frame
// with a figure of its own. It exports, with C linkage,
//
//     double Estimator(const uint8_t* bgr, int32_t width, int32_t height, int32_t stride);
//
// `bgr` points at the top row of a 24-bit picture (bytes blue, green, red per pixel), `stride`
// bytes from one row to the next; a larger figure stands for a better frame. The library is
// looked up in the program directory, beside the executable and in share/kestrave, then by the
// system's library search (LD_LIBRARY_PATH, the cache of ld.so, the system folders).

#include <memory>
#include <mutex>

#include "platform/bitmap24.h"
#include "platform/errors.h"

namespace kestrave {

inline constexpr const char* QualityPluginFile = "libquality.so";

// The plug-in cannot be used: "Quality DLL not found." and the system's reason.
class QualityPluginError : public KestraveError {
public:
    using KestraveError::KestraveError;
};

class QualityPlugin {
public:
    // Loads the library and looks up Estimator; throws QualityPluginError when either fails.
    QualityPlugin();
    ~QualityPlugin();
    QualityPlugin(const QualityPlugin&) = delete;
    QualityPlugin& operator=(const QualityPlugin&) = delete;

    // The plug-in's figure for the n x n picture `box`. Calls from several threads, through this
    // object or another one on the same library, are taken one at a time: nothing is known of the
    // plug-in's own thread safety.
    double estimate(const Bitmap24& box) const;

private:
    using Estimator = double (*)(const std::uint8_t*, std::int32_t, std::int32_t, std::int32_t);
    void* handle_ = nullptr;
    Estimator estimator_ = nullptr;
    // One for every object: the library is loaded once per process, whoever loads it.
    static std::mutex calls_;
};

// The plug-in's figure for `box`, the library loaded for this call and freed afterwards.
double ExternalQuality(const Bitmap24& box);

}  // namespace kestrave
