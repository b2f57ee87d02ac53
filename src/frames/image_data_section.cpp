#include "frames/image_data_section.h"

#include <algorithm>
#include <new>
#include <string>
#include <utility>

namespace kestrave {

namespace {

constexpr int AreaSizes[] = {2048, 1024, 512, 256, 128};

// One axis of the processing area: its extent is the area side or the image's length where that
// is smaller, and its corner lies so that the area stays inside the image.
struct AxisSpan {
    int corner;
    int extent;
};

AxisSpan centredSpan(int side, int length) {
    const int extent = std::max(0, std::min(side, length));
    return {(length - extent) / 2, extent};
}

AxisSpan keptSpan(int side, int length, int corner) {
    const int extent = std::max(0, std::min(side, length));
    return {std::clamp(corner, 0, std::max(0, length - extent)), extent};
}

void placeArea(ImageDataSection& section, AxisSpan horizontal, AxisSpan vertical) {
    section.ProcessAreaX = horizontal.corner;
    section.ProcessAreaWidth = horizontal.extent;
    section.ProcessAreaY = vertical.corner;
    section.ProcessAreaHeight = vertical.extent;
}

void keepAreaInsideImage(ImageDataSection& section) {
    placeArea(section, keptSpan(section.ProcessAreaSize, section.AllocWidth, section.ProcessAreaX),
              keptSpan(section.ProcessAreaSize, section.AllocHeight, section.ProcessAreaY));
}

void reportOutOfMemory(MessagePort& messages, int width, int height) {
    messages.error("Out of memory", "Not enough memory for image planes of " + std::to_string(width) + " x " +
                                        std::to_string(height) + " pixels.");
}

PlaneTriple makeTriple(int xCount, int yCount) {
    return {T2dArrays(yCount, xCount), T2dArrays(yCount, xCount), T2dArrays(yCount, xCount)};
}

// All 21 layer planes at side × side. The new planes are complete before the old ones go, so a
// failure leaves the old set in place.
bool replaceLayerPlanes(ImageDataSection& section, int side, MessagePort& messages) {
    try {
        std::array<PlaneTriple, 7> planes;
        for (PlaneTriple& layer : planes) layer = makeTriple(side, side);
        section.LayerPlanes = std::move(planes);
        return true;
    } catch (const std::bad_alloc&) {
        reportOutOfMemory(messages, side, side);
        return false;
    }
}

}  // namespace

int processAreaSizeForItem(int itemIndex) {
    return itemIndex >= 0 && itemIndex < static_cast<int>(std::size(AreaSizes)) ? AreaSizes[itemIndex] : 0;
}

int processAreaItemForSize(int size) {
    const auto* found = std::find(std::begin(AreaSizes), std::end(AreaSizes), size);
    return found == std::end(AreaSizes) ? -1 : static_cast<int>(found - std::begin(AreaSizes));
}

bool createImagePlanes(ImageDataSection& section, int storedProcessareaItem, ProgressPort& progress,
                       MessagePort& messages) {
    section.HighBitFrame = TTIFFBitMap();
    if (!SetupImageDataSection(section, 2, 2, progress, messages)) return false;
    try {
        section.RawFramePlane = T2dArrays(2, 2);
        section.DarkPlanes = makeTriple(2, 2);
        section.FlatPlanes = makeTriple(2, 2);
    } catch (const std::bad_alloc&) {
        reportOutOfMemory(messages, 2, 2);
        return false;
    }
    const int side = processAreaSizeForItem(storedProcessareaItem);
    section.ProcessAreaSize = side != 0 ? side : DefaultProcessAreaSize;
    keepAreaInsideImage(section);
    return replaceLayerPlanes(section, section.ProcessAreaSize + StartupLayerMargin, messages);
}

bool SetupImageDataSection(ImageDataSection& section, int width, int height, ProgressPort& progress,
                           MessagePort& messages) {
    if (width == section.AllocWidth && height == section.AllocHeight) return true;

    progress.setStatus(3, "Clearing old image datasection");
    FreeImageArrays(section);
    section.AllocWidth = width;
    section.AllocHeight = height;
    centreProcessArea(section);

    progress.setStatus(3, "Setup new Image datasection");
    const int xCount = width + SectionPlaneMargin;
    const int yCount = height + SectionPlaneMargin;
    try {
        for (int c = 0; c < 3; ++c) {
            section.StackPlanes[c] = T2dArrays(yCount, xCount);
            section.WorkPlanes[c] = T2dArrays(yCount, xCount);
        }
        section.LumPlane = T2dArrays(yCount, xCount);
        section.SigmaPlane = T2dArrays(yCount, xCount);

        // The old result image goes before the new one is made.
        section.ResultImage16 = TTIFFBitMap();
        TTIFFBitMap result(width + 1, height + 1);
        result.allocateHighBits();
        section.ResultImage16 = std::move(result);

        section.ScratchPlane = T2dArrays(yCount, xCount);
        section.StackWeightPlane = T2dArrays(yCount, xCount);
    } catch (const std::bad_alloc&) {
        // No half-built section: nothing is left that a reader could take for the new size, and
        // the next call with this size tries again.
        FreeImageArrays(section);
        section.ResultImage16 = TTIFFBitMap();
        section.AllocWidth = section.AllocHeight = 0;
        placeArea(section, {0, 0}, {0, 0});
        reportOutOfMemory(messages, width, height);
        return false;
    }
    progress.showMemoryUsage();
    return true;
}

void centreProcessArea(ImageDataSection& section) {
    placeArea(section, centredSpan(section.ProcessAreaSize, section.AllocWidth),
              centredSpan(section.ProcessAreaSize, section.AllocHeight));
}

void FreeImageArrays(ImageDataSection& section) {
    for (int c = 0; c < 3; ++c) {
        section.StackPlanes[c] = T2dArrays();
        section.WorkPlanes[c] = T2dArrays();
    }
    section.SigmaPlane = T2dArrays();
    section.LumPlane = T2dArrays();
    section.ScratchPlane = T2dArrays();
    section.StackWeightPlane = T2dArrays();
}

bool ProcessareaChange(ImageDataSection& section, int itemIndex, MessagePort& messages) {
    const int chosen = processAreaSizeForItem(itemIndex);
    const int side = chosen != 0 ? chosen : section.ProcessAreaSize;
    if (!replaceLayerPlanes(section, side, messages)) return false;
    section.ProcessAreaSize = side;
    keepAreaInsideImage(section);
    return true;
}

}  // namespace kestrave
