#pragma once
// The final stage and the saves: the final picture made from the processed one with the final
// page's settings, and what the run holds written to files (the stack, the processed and the final
// picture, a resized picture, the AVIs of the ranked frames).

#include "pipeline/pipeline_core.h"

namespace kestrave {

// The savers' types (output/save_formats.h).
struct SaveOutcome;
enum class StackSaveType;
enum class WaveletSaveType;
enum class ResizeSaveType;
class TTIFFBitMap;

// The files of the current input (the video files, the SER file or the frames of a series); no
// save may replace one of them.
std::vector<std::filesystem::path> inputFiles(const FrameModel& model);

// What a save reaches of whoever runs it: the messages with their questions, the settings store
// that remembers the folder and the type (none when it could not be opened) and the version text a
// PNG names ("V4.0.0").
struct SavePorts {
    MessagePort& messages;
    RegSettings* settings = nullptr;
    std::string versionCaption;
};

// The processed picture saved: the chosen file (the dialog's, or the batch's preset name), the
// type of the dialog's filter, whether it is saved in colour, and the info stamp BMP and JPEG
// files carry (none unless it is to be stamped).
struct ProcessedSaveOptions {
    std::filesystem::path file;
    WaveletSaveType type{};  // BMP
    bool colour = false;
    std::optional<StampInfo> stamp;
};

// The final picture saved: the chosen file, the type, the turn, colour and flips it is shown
// with, and the crop BMP and JPEG files take (none unless "Use Cropping" holds one).
struct FinalSaveOptions {
    std::filesystem::path file;
    WaveletSaveType type{};  // BMP
    FinalSettings settings;
    std::optional<TEdgeRect> crop;
};

class FinalStage : public virtual PipelineCore {
public:
    // The final page: the centre of rotation chosen on the picture, and the crop rectangle the
    // mouse drew on it (Left = -1: none); the final stage: the processed picture's 16-bit result
    // with the final page's settings (hue, saturation and lightness curves, turn, flips) and its
    // hue histogram, none when the processed view is empty (throws when a picture this large
    // cannot be made: the last one stays); a right click adding a hue point (true when one was
    // added).
    void setRotationCentre(int x, int y);
    void setCropRect(const TEdgeRect& crop);
    const FinalData& renderFinalPicture(const FinalSettings& settings);
    bool addHuePoint(float hue);
    // The hue of the processed picture's pixel (x, y), unturned and unflipped; none outside the
    // picture or for a dark pixel. The final picture cut to the crop rectangle (whole without one).
    std::optional<float> finalHueAt(int x, int y) const;
    Bitmap24 croppedFinalPicture() const;

    // --- Saving ---------------------------------------------------------------------------------
    // Each save writes what the run holds through the savers of the output library, never over a
    // file of the input, and says which files were written. A save as special FITS switches the
    // master-frame mode on. Writers throw as the savers do.
    // The stack, as the stack page's save dialog's type says.
    SaveOutcome saveStack(const std::filesystem::path& file, StackSaveType type, const SavePorts& ports);
    // The processed picture (the wavelet page's save).
    SaveOutcome saveProcessed(const ProcessedSaveOptions& options, const SavePorts& ports);
    // The final picture as the final page shows it.
    SaveOutcome saveFinal(const FinalSaveOptions& options, const SavePorts& ports);
    // A picture the resize view scaled.
    SaveOutcome saveResized(const std::filesystem::path& file, ResizeSaveType type, const Bitmap24& picture,
                            const SavePorts& ports);
    // The resize view's picture: the final picture (or the processed one) scaled by the ratio item
    // through the filter item.
    Bitmap24 resizedPicture(bool finalPicture, int ratioItem, int filterItem) const;
    // The question before a processed picture is saved while "Do All" has not run since the last
    // change: true when the whole picture is to be processed first (a batch run: always).
    bool wantsDoAllBeforeSave(const SavePorts& ports);
    // An AVI of the ranked frames cut out around the feature; an AVI of stacks of groups of the
    // ranked frames (the run's state is as before afterwards).
    AviResult writeRegisteredAvi(const std::filesystem::path& file, FrameSource& frames,
                                 const RegisteredAviOptions& options, const SavePorts& ports,
                                 ProgressPort& progress);
    AviResult writeIntegratedAvi(const std::filesystem::path& file, FrameSource& frames,
                                 const IntegratedAviOptions& options, const SavePorts& ports,
                                 ProgressPort& progress);

protected:
    ~FinalStage() = default;

private:
    // The context the savers work in: the run's master-frame mode, the batch mode and the files
    // of the input.
    SaveContext saveContext(const SavePorts& ports);
};

}  // namespace kestrave
