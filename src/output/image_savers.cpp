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

std::string_view saveTypeKey(WaveletSaveType type) {
    static constexpr std::array<std::string_view, 5> keys{"BMP", "JPG", "FIT", "TIF", "PNG"};
    return keys.at(static_cast<std::size_t>(type) - 1);
}

std::string_view saveTypeKey(StackSaveType type) {
    switch (type) {
        case StackSaveType::FIT16:
        case StackSaveType::FIT32:
        case StackSaveType::FITSpecial:
            return saveTypeKey(WaveletSaveType::FIT);
        case StackSaveType::TIFF:
            return saveTypeKey(WaveletSaveType::TIFF);
        case StackSaveType::PNG16:
            return saveTypeKey(WaveletSaveType::PNG);
        default:
            return saveTypeKey(static_cast<WaveletSaveType>(type));  // BMP and JPEG share their numbers
    }
}

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

// One file of a single-file type: never an input file, replaced only after the question.
SaveOutcome writeOneFile(const fs::path& chosenFile, std::string_view extension, SaveContext& context,
                         const std::function<void(const fs::path&)>& write,
                         const std::string& question = " Overwrite existing file ?") {
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

}  // namespace

SaveOutcome saveStackImage(const fs::path& chosenFile, StackSaveType type, const StackSaveSources& sources,
                           SaveContext& context, const Png16Writer& writePng) {
    rememberChoice(chosenFile, "LastStacksavetype", saveTypeKey(type), context);
    const FitImages images{&sources.StackPlanes, nullptr, sources.Colourstack};
    const int w = sources.ImageWidth;
    const int h = sources.ImageHeight;
    switch (type) {
        case StackSaveType::BMP:
            return writeOneFile(chosenFile, ".bmp", context,
                                [&](const fs::path& target) { writeBmp24(target, sources.Stackimage); });
        case StackSaveType::JPEG:
            return writeOneFile(chosenFile, ".jpg", context,
                                [&](const fs::path& target) { writeJpeg(target, sources.Stackimage); });
        case StackSaveType::FIT16:
            return fitFiles(chosenFile, w, h, 16, FitSource::Stack, images, context);
        case StackSaveType::FIT32:
            return fitFiles(chosenFile, w, h, 32, FitSource::Stack, images, context);
        case StackSaveType::FITSpecial:
            return fitFiles(chosenFile, w, h, -16, FitSource::Stack, images, context);
        case StackSaveType::TIFF:
            return writeOneFile(chosenFile, ".tif", context, [&](const fs::path& target) {
                SaveStackTIFF16(target, w, h, sources.StackPlanes, sources.Colourstack);
            });
        case StackSaveType::PNG16:
            requirePngWriter(writePng);
            return writeOneFile(chosenFile, ".png", context, [&](const fs::path& target) {
                const TTIFFBitMap samples = stackRender16(sources.StackPlanes, w, h, sources.Colourstack,
                                                          sources.StackMinValue, sources.StackMaxValue);
                writePng(target, samples, samples, context.versionCaption);
            });
    }
    return {};
}

SaveOutcome saveWaveletImage(const fs::path& chosenFile, WaveletSaveType type,
                             const WaveletSaveSources& sources, SaveContext& context,
                             const Png16Writer& writePng) {
    rememberChoice(chosenFile, "lastwaveletsavetype", saveTypeKey(type), context);
    switch (type) {
        case WaveletSaveType::BMP:
            return writeOneFile(chosenFile, ".bmp", context, [&](const fs::path& target) {
                writeBmp24(target, stampedImage(sources.ProcessImage, sources.stamp));
            });
        case WaveletSaveType::JPEG:
            return writeOneFile(chosenFile, ".jpg", context, [&](const fs::path& target) {
                writeJpeg(target, stampedImage(sources.ProcessImage, sources.stamp));
            });
        case WaveletSaveType::FIT:
            return fitFiles(chosenFile, sources.ImageWidth, sources.ImageHeight, 16, FitSource::Result,
                            {&sources.StackPlanes, &sources.ResultImage16, sources.Colourstack}, context);
        case WaveletSaveType::TIFF:
            return writeOneFile(chosenFile, ".tif", context, [&](const fs::path& target) {
                TTIFFBitMap::SaveToTIFF(
                    cropHighBits(sources.ResultImage16, sources.ImageWidth, sources.ImageHeight), target, 48,
                    false);
            });
        case WaveletSaveType::PNG:
            requirePngWriter(writePng);
            return writeOneFile(chosenFile, ".png", context, [&](const fs::path& target) {
                writePng(target, sources.ProcessImage, sources.ResultImage16, context.versionCaption);
            });
    }
    return {};
}

SaveOutcome saveFinalImage(const fs::path& chosenFile, WaveletSaveType type, const FinalSaveSources& sources,
                           SaveContext& context, const Png16Writer& writePng) {
    rememberChoice(chosenFile, "", "", context);
    // The 16-bit files have the two wordings of their question (capital and small "o").
    const std::string smallQuestion = " overwrite existing file ?";
    const auto shownAsCropped = [&] {
        return sources.crop ? cropBitmap(sources.shown, *sources.crop) : sources.shown;
    };
    switch (type) {
        case WaveletSaveType::BMP:
            return writeOneFile(chosenFile, ".bmp", context,
                                [&](const fs::path& target) { writeBmp24(target, shownAsCropped()); });
        case WaveletSaveType::JPEG:
            return writeOneFile(chosenFile, ".jpg", context,
                                [&](const fs::path& target) { writeJpeg(target, shownAsCropped()); });
        case WaveletSaveType::FIT:
            return fitFiles(chosenFile, sources.ImageWidth, sources.ImageHeight, 16, FitSource::Result,
                            {&sources.StackPlanes, &sources.ResultImage16, sources.Colourstack}, context);
        case WaveletSaveType::TIFF:
            return writeOneFile(
                chosenFile, ".tif", context,
                [&](const fs::path& target) {
                    SaveRotatedFinalTiff16(target, sources.ResultImage16, sources.ProcessImage.width(),
                                           sources.ProcessImage.height(), sources.settings);
                },
                smallQuestion);
        case WaveletSaveType::PNG:
            requirePngWriter(writePng);
            return writeOneFile(
                chosenFile, ".png", context,
                [&](const fs::path& target) {
                    writePng(target, sources.ProcessImage, sources.ResultImage16, context.versionCaption);
                },
                smallQuestion);
    }
    return {};
}

SaveOutcome saveResizedImage(const fs::path& chosenFile, ResizeSaveType type, const Bitmap24& picture,
                             SaveContext& context) {
    static constexpr std::array<std::string_view, 3> keys{"BMP", "JPG", "PNG"};
    rememberChoice(chosenFile, "LastResizetype", keys.at(static_cast<std::size_t>(type) - 1), context);
    switch (type) {
        case ResizeSaveType::BMP:
            return writeOneFile(chosenFile, ".bmp", context,
                                [&](const fs::path& target) { writeBmp24(target, picture); });
        case ResizeSaveType::JPEG:
            return writeOneFile(chosenFile, ".jpg", context,
                                [&](const fs::path& target) { writeJpeg(target, picture); });
        case ResizeSaveType::PNG:
            return writeOneFile(chosenFile, ".png", context, [&](const fs::path& target) {
                SavePNG8Image(target, picture, context.versionCaption);
            });
    }
    return {};
}

bool confirmDoAll(SaveContext& context) {
    if (context.batchMode) return true;
    return context.messages.ask(mtInformation, "Image not fully processed",
                                "You have NOT used the DO ALL function, perform this now ?", mbYesNo,
                                mrYes) == mrYes;
}

}  // namespace kestrave
