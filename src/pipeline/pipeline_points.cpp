// The alignment points, the stack cut-offs of each point, and the calibration frames.

#include "pipeline/pipeline.h"
#include "registration/point_alignment.h"
#include "registration/point_estimator.h"
#include "registration/point_file.h"
#include "registration/voronoi_diagram.h"

namespace kestrave {

void AlignStage::takeAlignPoints(std::span<const AlignPoint> points) {
    setAlignPoints(run_.alignPoints, points);
    announce(PipelineChange::Points);
}

std::vector<PointXY> AlignStage::estimatePoints(int boxSize, int minDistance) const {
    return estimateAlignPoints(run_.input.PreviewBitmap, boxSize, minDistance);
}

Bitmap24 AlignStage::previewWithPointZones(std::span<const AlignPoint> points) const {
    Bitmap24 frame = run_.input.PreviewBitmap;
    std::vector<DiagramPoint> sites;
    for (const AlignPoint& point : points)
        sites.push_back({static_cast<long double>(point.X), static_cast<long double>(point.Y)});
    drawPointZones(frame, sites);
    return frame;
}

PointFileContent AlignStage::readPointFile(const std::filesystem::path& path) const {
    return readAlignPointFile(path, run_.model.ImageWidth, run_.model.ImageHeight);
}

void AlignStage::writePointFile(const std::filesystem::path& path, int frameNumber,
                                std::span<const AlignPoint> points) const {
    writeAlignPointFile(path, frameNumber, points);
}

void AlignStage::setPointCount(int count) {
    run_.alignPoints.Alignpoints = count;
    announce(PipelineChange::Points);
}

void AlignStage::startPlacingPoints() {
    run_.alignPoints.FreeBox = false;
    run_.alignPoints.StopPlacing = false;
    run_.state.progstatus = TProgStatus::psFeatureSet;
    run_.alignPoints.MultiPointMode = true;
    announce(PipelineChange::Points);
    announce(PipelineChange::Stage);
    setUpAlignment(AlignSetup::PlacingPoints);
}

void AlignStage::readyForPointPick() {
    run_.registration.WaitForClick = false;
    run_.registration.FeatureChosen = false;
    run_.model.FramesRanked = false;
}

void AlignStage::haltPointPlacing() {
    run_.alignPoints.StopPlacing = true;
}

void AlignStage::closePointPlacing() {
    // The registration windows name a point only while there are points.
    run_.optimizer.RegistrationCaption.clear();
    run_.alignPoints.MultiPointMode = false;
    run_.alignPoints.StopPlacing = true;
    run_.alignPoints.Alignpoints = 1;
    announce(PipelineChange::Points);
}

void AlignStage::resetShiftsToFirstPoint(int lastFrame) {
    resetPointShifts(run_.model, run_.alignPoints.Alignpoints, lastFrame);
    announce(PipelineChange::Frames);
}

void AlignStage::enablePoint(int p, bool enabled) {
    run_.alignPoints.PointEnabled[static_cast<std::size_t>(p)] = enabled;
}

void AlignStage::alignPointsOnFrame(int frame) {
    run_.registration.FeatureChosen = false;
    run_.registration.FeatureFrame = run_.registration.refframe = frame;
}

void AlignStage::setRegistrationCaption(const std::string& caption) {
    run_.optimizer.RegistrationCaption = caption;
}

void AlignStage::takeFeatureAt(int x, int y) {
    run_.state.FeatureX = x;
    run_.state.FeatureY = y;
}

std::vector<double> AlignStage::finishPointAlignment(bool multiQuantity, int count, int lastFrame,
                                                     int referenceFrame) {
    AlignmentPoints& points = run_.alignPoints;
    if (!multiQuantity && count >= 2)
        copyFirstPointToAll(run_.model, count, lastFrame, points.PointBestQuality);
    std::vector<double> distances;
    if (count > 1)
        distances =
            pointAngles(run_.model, points.PointPos[1], points.PointPos[2], lastFrame, referenceFrame);
    announce(PipelineChange::Frames);
    return distances;
}

void StackStage::setPointLimitCount(int p, int count) {
    run_.points.PointLimitCount[static_cast<std::size_t>(p)] = count;
}

void StackStage::setPointQualitySlider(int p, int slider) {
    run_.points.PointQualitySlider[static_cast<std::size_t>(p)] = slider;
}

void StackStage::setPointQualityCut(int p, float cut) {
    run_.points.PointQualityCut[static_cast<std::size_t>(p)] = cut;
}

void StackStage::setPointDifferenceSlider(int p, int slider) {
    run_.points.PointDifferenceSlider[static_cast<std::size_t>(p)] = slider;
}

void StackStage::setPointDifferenceCut(int p, float cut) {
    run_.points.PointDifferenceCut[static_cast<std::size_t>(p)] = cut;
}

void StackStage::showStackDepth(Bitmap24&& picture) {
    run_.wavelet.ProcessPicture = std::move(picture);
    announce(PipelineChange::StackDepth);
}

void StackStage::showFrameAtCutoff(int frame) {
    readShownFrame(run_.input, run_.images, run_.model, frame);
    if (run_.alignPoints.Alignpoints == 1) {
        TFrameRec& rec = run_.model.FrameTable[frame];
        rec.Slots[1].X = rec.Slots[0].X;
        rec.Slots[1].Y = rec.Slots[0].Y;
    }
    announce(PipelineChange::Preview);
}

void StackStage::nameCalibrationFile(CalibrationKind kind, const std::filesystem::path& file, int type) {
    const bool dark = kind == CalibrationKind::Dark;
    (dark ? run_.model.DarkFileName : run_.model.FlatFileName) = file;
    setCalibrationFileType(kind, type);
    switchCalibration({.kind = kind, .used = true});
}

void StackStage::setCalibrationFileType(CalibrationKind kind, int type) {
    (kind == CalibrationKind::Dark ? run_.model.DarkFileType : run_.model.FlatFileType) = type;
}

CalibrationLoad StackStage::loadCalibrationFile(CalibrationKind kind, const std::filesystem::path& file,
                                                int type, CalibrationOrigin origin, MessagePort& messages) {
    PlaneTriple& planes = kind == CalibrationKind::Dark ? run_.images.DarkPlanes : run_.images.FlatPlanes;
    // A project's frame may be used; a FITS frame is grey, and so is the input then.
    const bool offered = origin == CalibrationOrigin::Project;
    if (offered || isFitsCalibration(type))
        switchCalibration({.kind = kind, .offered = offered, .grey = isFitsCalibration(type)});
    CalibrationLoad result;
    try {
        result = loadCalibrationFrame(file, type, kind, origin, planes, messages);
    } catch (const CalibrationUnsupported& error) {
        // The load stopped at the samples: the frame stays in use, and its depth is the last.
        run_.input.readers.FitsBitpix = error.bitpix();
        throw;
    } catch (const CalibrationError& error) {
        // The frame is not used; a FITS file too large cannot be.
        const bool dark = kind == CalibrationKind::Dark;
        switchCalibration({.kind = kind,
                           .darkOff = dark,
                           .flatOff = !dark,
                           .refused = dynamic_cast<const CalibrationTooLarge*>(&error) != nullptr});
        throw;
    }
    // Stacks of FITS input take their value range from the depth of the last FITS file.
    if (result.fitsBitpix != 0) run_.input.readers.FitsBitpix = result.fitsBitpix;
    return result;
}

void StackStage::prepareMasterFrame(int lastFrame) {
    run_.state.MasterFrameMode = true;
    run_.state.activepage = TMainTab::tabStack;
    run_.model.FitStretch = false;
    rankForMasterFrame(run_.model, lastFrame);
    announce(PipelineChange::Frames);
    announce(PipelineChange::Stage);
}

void StackStage::setFilterArming(bool fftArmed, bool qualityArmed) {
    run_.registration.FFTFilterArmed = fftArmed;
    run_.registration.QualityFilterArmed = qualityArmed;
}

}  // namespace kestrave
