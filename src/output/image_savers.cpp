#include "output/image_savers.h"

#include <array>

#include "frames/png_io.h"
#include "output/bmp_writer.h"
#include "output/fits_writer.h"
#include "output/jpeg_writer.h"
#include "output/tiff16_export.h"
#include "persist/reg_settings.h"
#include "platform/errors.h"

namespace kestrave {

namespace fs = std::filesystem;

namespace {

// "SaveDir" and the type key (none when its name is empty); a settings file that cannot be written keeps the
// values pending and does not stop the save. The folder is kept whole, so that a name given relative
// to the working folder (a batch run's) still leads there at the next start.
void rememberChoice(const fs::path& chosenFile, std::string_view typeKeyName, std::string_view typeKey,
                    SaveContext& context) {
    if (!context.settings) return;
    std::error_code error;
    const fs::path whole = fs::absolute(chosenFile, error);
    context.settings->WriteString(kRegFilesSection, "SaveDir",
                                  (error ? chosenFile : whole).parent_path().string());
    if (!typeKeyName.empty()) context.settings->WriteString(kRegFilesSection, typeKeyName, typeKey);
}

// The question before a file is replaced.
const std::string OverwriteQuestion = " Overwrite existing file ?";

// One file of a single-file type: never an input file, replaced only after the question.
SaveOutcome writeOneFile(const fs::path& chosenFile, std::string_view extension, SaveContext& context,
                         const std::function<void(const fs::path&)>& write,
                         const std::string& question = OverwriteQuestion) {
    const fs::path target = outputFileName(chosenFile, extension);
    refuseInputFile(target, context.inputFiles);
    if (!confirmOverwrite(target, question, context)) return {};
    write(target);
    return {{target}};
}

SaveOutcome fitFiles(const fs::path& chosenFile, int width, int height, int bitPix, FitSource source,
                     const FitImages& images, SaveContext& context) {
    const fs::path name = chosenFile.parent_path() / chosenBaseName(chosenFile);
    return {FitSave(name, width, height, bitPix, source, images, context).written};
}

void requirePngWriter(const Png16Writer& writePng) {
    if (!writePng) throw FileError("Cannot write PNG files: no PNG writer is available");
}

// --- The writers of the dialogs' rows ----------------------------------------------------------

SaveOutcome stackBmp(const SaveFilter& filter, const fs::path& chosenFile, const StackSaveSources& sources,
                     SaveContext& context, const Png16Writer&) {
    return writeOneFile(chosenFile, filter.extension, context,
                        [&](const fs::path& target) { writeBmp24(target, sources.Stackimage); });
}

SaveOutcome stackJpeg(const SaveFilter& filter, const fs::path& chosenFile, const StackSaveSources& sources,
                      SaveContext& context, const Png16Writer&) {
    return writeOneFile(chosenFile, filter.extension, context,
                        [&](const fs::path& target) { writeJpeg(target, sources.Stackimage); });
}

template <int BitPix>
SaveOutcome stackFits(const SaveFilter&, const fs::path& chosenFile, const StackSaveSources& sources,
                      SaveContext& context, const Png16Writer&) {
    const FitImages images{&sources.StackPlanes, nullptr, sources.Colourstack};
    return fitFiles(chosenFile, sources.ImageWidth, sources.ImageHeight, BitPix, FitSource::Stack, images,
                    context);
}

SaveOutcome stackTiff(const SaveFilter& filter, const fs::path& chosenFile, const StackSaveSources& sources,
                      SaveContext& context, const Png16Writer&) {
    return writeOneFile(chosenFile, filter.extension, context, [&](const fs::path& target) {
        SaveStackTIFF16(target, sources.ImageWidth, sources.ImageHeight, sources.StackPlanes,
                        sources.Colourstack);
    });
}

SaveOutcome stackPng16(const SaveFilter& filter, const fs::path& chosenFile, const StackSaveSources& sources,
                       SaveContext& context, const Png16Writer& writePng) {
    requirePngWriter(writePng);
    return writeOneFile(chosenFile, filter.extension, context, [&](const fs::path& target) {
        const TTIFFBitMap samples =
            stackRender16(sources.StackPlanes, sources.ImageWidth, sources.ImageHeight, sources.Colourstack,
                          sources.StackMinValue, sources.StackMaxValue);
        writePng(target, samples, samples, context.versionCaption);
    });
}

// The final page's 16-bit files have the question's other wording (a small "o").
const std::string FinalQuestion = " overwrite existing file ?";

// The shown picture, cropped when a crop is given.
Bitmap24 shownAsCropped(const FinalSaveSources& sources) {
    return sources.crop ? cropBitmap(sources.shown, *sources.crop) : sources.shown;
}

SaveOutcome resizedBmp(const SaveFilter& filter, const fs::path& chosenFile, const Bitmap24& picture,
                       SaveContext& context) {
    return writeOneFile(chosenFile, filter.extension, context,
                        [&](const fs::path& target) { writeBmp24(target, picture); });
}

SaveOutcome resizedJpeg(const SaveFilter& filter, const fs::path& chosenFile, const Bitmap24& picture,
                        SaveContext& context) {
    return writeOneFile(chosenFile, filter.extension, context,
                        [&](const fs::path& target) { writeJpeg(target, picture); });
}

SaveOutcome resizedPng(const SaveFilter& filter, const fs::path& chosenFile, const Bitmap24& picture,
                       SaveContext& context) {
    return writeOneFile(chosenFile, filter.extension, context, [&](const fs::path& target) {
        SavePNG8Image(target, picture, context.versionCaption);
    });
}

// The row of a type.
template <class Format>
const Format& formatOf(std::span<const Format> formats, decltype(Format::type) type) {
    return formats[static_cast<std::size_t>(filterIndexOf(formats, type) - 1)];
}

}  // namespace

// --- The writers of the wavelet dialog's rows ----------------------------------------------------

SaveOutcome saveResultBmp(const SaveFilter& filter, const fs::path& chosenFile,
                          const ResultSaveSources& sources, SaveContext& context, const Png16Writer&) {
    return writeOneFile(chosenFile, filter.extension, context,
                        [&](const fs::path& target) { writeBmp24(target, sources.picture()); });
}

SaveOutcome saveResultJpeg(const SaveFilter& filter, const fs::path& chosenFile,
                           const ResultSaveSources& sources, SaveContext& context, const Png16Writer&) {
    return writeOneFile(chosenFile, filter.extension, context,
                        [&](const fs::path& target) { writeJpeg(target, sources.picture()); });
}

// The 16-bit result (master-frame mode: the stack).
SaveOutcome saveResultFits(const SaveFilter&, const fs::path& chosenFile, const ResultSaveSources& sources,
                           SaveContext& context, const Png16Writer&) {
    const ResultPictures& pictures = sources.pictures;
    return fitFiles(chosenFile, pictures.ImageWidth, pictures.ImageHeight, 16, FitSource::Result,
                    {&pictures.StackPlanes, &pictures.ResultImage16, pictures.Colourstack}, context);
}

SaveOutcome saveResultTiff(const SaveFilter& filter, const fs::path& chosenFile,
                           const ResultSaveSources& sources, SaveContext& context, const Png16Writer&) {
    return writeOneFile(chosenFile, filter.extension, context, sources.writeTiff16, sources.question16);
}

SaveOutcome saveResultPng(const SaveFilter& filter, const fs::path& chosenFile,
                          const ResultSaveSources& sources, SaveContext& context,
                          const Png16Writer& writePng) {
    requirePngWriter(writePng);
    const ResultPictures& pictures = sources.pictures;
    return writeOneFile(
        chosenFile, filter.extension, context,
        [&](const fs::path& target) {
            writePng(target, pictures.ProcessImage, pictures.ResultImage16, context.versionCaption);
        },
        sources.question16);
}

// --- The dialogs' tables --------------------------------------------------------------------------

std::span<const StackSaveFormat> stackSaveFormats() {
    static const std::array<StackSaveFormat, 7> formats{{
        {StackSaveType::BMP, {"BMP", "*.bmp", "BMP", ".bmp"}, stackBmp},
        {StackSaveType::JPEG, {"JPEG", "*.jpg", "JPG", ".jpg"}, stackJpeg},
        {StackSaveType::FIT16, {"FIT (16-bit)", "*.fit", "FIT", ".fit", true}, stackFits<16>},
        {StackSaveType::FIT32, {"FIT (32-bit)", "*.fit", "FIT", ".fit", true}, stackFits<32>},
        {StackSaveType::FITSpecial, {"special FITS", "*.fit", "FIT", ".fit", true}, stackFits<-16>},
        {StackSaveType::TIFF, {"TIFF", "*.tif", "TIF", ".tif"}, stackTiff},
        {StackSaveType::PNG16, {"PNG (16 bit)", "*.png", "PNG", ".png"}, stackPng16},
    }};
    return formats;
}

std::span<const ResizeSaveFormat> resizeSaveFormats() {
    static const std::array<ResizeSaveFormat, 3> formats{{
        {ResizeSaveType::BMP, {"BMP", "*.bmp", "BMP", ".bmp"}, resizedBmp},
        {ResizeSaveType::JPEG, {"JPEG", "*.jpg", "JPG", ".jpg"}, resizedJpeg},
        {ResizeSaveType::PNG, {"PNG", "*.png", "PNG", ".png"}, resizedPng},
    }};
    return formats;
}

// --- The savers ------------------------------------------------------------------------------------

SaveOutcome saveStackImage(const fs::path& chosenFile, StackSaveType type, const StackSaveSources& sources,
                           SaveContext& context, const Png16Writer& writePng) {
    const StackSaveFormat& format = formatOf(stackSaveFormats(), type);
    rememberChoice(chosenFile, "LastStacksavetype", format.filter.key, context);
    return format.save(format.filter, chosenFile, sources, context, writePng);
}

SaveOutcome saveWaveletImage(const fs::path& chosenFile, WaveletSaveType type,
                             const WaveletSaveSources& sources, SaveContext& context,
                             const Png16Writer& writePng) {
    const WaveletSaveFormat& format = formatOf(waveletSaveFormats(), type);
    rememberChoice(chosenFile, "lastwaveletsavetype", format.filter.key, context);
    const ResultPictures& pictures = sources.pictures;
    const ResultSaveSources result{
        pictures, [&] { return stampedImage(pictures.ProcessImage, sources.stamp); },
        [&](const fs::path& target) {
            TTIFFBitMap::SaveToTIFF(
                cropHighBits(pictures.ResultImage16, pictures.ImageWidth, pictures.ImageHeight), target, 48,
                false);
        },
        OverwriteQuestion};
    return format.save(format.filter, chosenFile, result, context, writePng);
}

SaveOutcome saveFinalImage(const fs::path& chosenFile, WaveletSaveType type, const FinalSaveSources& sources,
                           SaveContext& context, const Png16Writer& writePng) {
    const WaveletSaveFormat& format = formatOf(waveletSaveFormats(), type);
    rememberChoice(chosenFile, "", "", context);
    const ResultPictures& pictures = sources.pictures;
    const ResultSaveSources result{pictures, [&] { return shownAsCropped(sources); },
                                   [&](const fs::path& target) {
                                       SaveRotatedFinalTiff16(
                                           target, pictures.ResultImage16, pictures.ProcessImage.width(),
                                           pictures.ProcessImage.height(), sources.settings);
                                   },
                                   FinalQuestion};
    return format.save(format.filter, chosenFile, result, context, writePng);
}

SaveOutcome saveResizedImage(const fs::path& chosenFile, ResizeSaveType type, const Bitmap24& picture,
                             SaveContext& context) {
    const ResizeSaveFormat& format = formatOf(resizeSaveFormats(), type);
    rememberChoice(chosenFile, "LastResizetype", format.filter.key, context);
    return format.save(format.filter, chosenFile, picture, context);
}

bool confirmDoAll(SaveContext& context) {
    if (context.batchMode) return true;
    return context.messages.ask(mtInformation, "Image not fully processed",
                                "You have NOT used the DO ALL function, perform this now ?", mbYesNo,
                                mrYes) == mrYes;
}

}  // namespace kestrave
