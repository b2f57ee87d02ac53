#include "output/project_model.h"

#include <algorithm>
#include <filesystem>

namespace kestrave {

namespace {

// The pixels a project's shifts are counted in: those of the frames enlarged by the resampling
// factor when the project resamples (its stack takes them as they are), else frame pixels.
double shiftUnit(bool resampled, int resamplevalue) {
    return resampled ? std::max(resamplevalue, 1) : 1;
}

ProjectSlot projectSlot(const TAlignSlotRec& slot, double unit) {
    const SlotShift shift = shiftAtScale(slot, unit);
    return {shift.X, shift.Y, slot.Difference, slot.Quality};
}

// The frames' folder and the file name of every frame of a still series.
void captureSeries(const FrameModel& model, int frames, ProjectData& p) {
    p.filedir = std::filesystem::path(model.FrameNames[0]).parent_path().string();
    for (int i = 0; i < frames; ++i)
        p.frameNames.push_back(std::filesystem::path(model.FrameNames[i]).filename().string());
}

void captureVideo(const FrameModel& model, ProjectData& p) {
    p.AviName = model.AviSegments[0].FileName;
    p.filedir = std::filesystem::path(p.AviName).parent_path().string();
    if (model.avicount < 1) return;
    for (int s = 0; s <= model.avicount && s < MaxAviSegments; ++s) {
        const TAviSegmentRec& segment = model.AviSegments[s];
        p.aviFiles.push_back({segment.FileName, segment.FirstFrame, segment.LastFrame});
    }
}

void setInfo(TAlignSlotRec& slot, const ProjectSlot& value) {
    slot.Difference = value.Difference;
    slot.Quality = value.Quality;
}

}  // namespace

ProjectData captureProject(const FrameModel& model, const ProgramState& state, const AlignmentPoints& points,
                           const ProjectControls& c, ProjectForm form) {
    ProjectData p;
    p.form = form;
    const int frames = std::clamp(c.lastFrame + 1, 1, FrameCapacity);
    p.InputType = model.InputType;
    if (model.InputType == TInputType::itAVI) {
        captureVideo(model, p);
    } else if (model.InputType == TInputType::itSER) {
        p.SerName = model.SerName;
        p.filedir = std::filesystem::path(model.SerName).parent_path().string();
    } else {
        captureSeries(model, frames, p);
    }
    if (c.Usedarkframe) p.dark = ProjectCalibration{model.DarkFileName, model.DarkFileType};
    if (c.UseFlatfield) p.flat = ProjectCalibration{model.FlatFileName, model.FlatFileType};

    p.sequencelength = frames;
    p.progstatus = static_cast<int>(state.progstatus);
    p.activepage = c.shownPage;
    p.usedframes = model.usedframes;
    p.refframe = c.refframe;
    p.stackslider = c.StackSlider;
    p.stackdifslider = c.differencecutslider;
    p.stacktag = c.StackSliderTag;
    if (state.progstatus == TProgStatus::psStacked) p.wavelet = c.wavelet;
    p.stackx = state.stackx;
    p.stacky = state.stacky;
    p.resampled = c.Resampled;
    p.resamplevalue = c.ResampleSpin;

    const bool multiPoint = form == ProjectForm::Full && points.MultiPointMode && points.Alignpoints > 1;
    const int pointCount = multiPoint ? std::min(points.Alignpoints, MaxAlignPoints) : 1;
    if (multiPoint) {
        for (int n = 1; n <= pointCount; ++n)
            p.points.push_back({points.PointPos[n].X, points.PointPos[n].Y, points.PointFFTSize[n]});
    } else {
        p.points.push_back({state.FeatureX, state.FeatureY, form == ProjectForm::Full ? c.FFTSize : 0});
    }
    const double unit = shiftUnit(c.Resampled, c.ResampleSpin);
    p.excluded.resize(static_cast<std::size_t>(frames));
    p.ranking.resize(static_cast<std::size_t>(frames));
    p.slots.assign(static_cast<std::size_t>(pointCount),
                   std::vector<ProjectSlot>(static_cast<std::size_t>(frames)));
    if (c.interlaced) p.interlaced.emplace(static_cast<std::size_t>(frames));
    for (int i = 0; i < frames; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const TFrameRec& record = model.FrameTable[i];
        p.excluded[k] = record.Excluded;
        p.ranking[k] = model.FrameRanking[i].Frame;
        for (int n = 1; n <= pointCount; ++n)
            p.slots[static_cast<std::size_t>(n - 1)][k] = projectSlot(record.Slots[multiPoint ? n : 0], unit);
        if (p.interlaced) (*p.interlaced)[k] = projectSlot(record.Slots[2], unit);
    }
    p.formLines = c.formLines;
    return p;
}

void checkProjectFitsInput(const ProjectData& p, int inputFrames, int frameWidth, int frameHeight) {
    if (p.sequencelength > inputFrames) {
        throw ProjectError("The project names " + std::to_string(p.sequencelength) +
                           " frames; its input holds " + std::to_string(inputFrames));
    }
    for (std::size_t n = 0; n < p.points.size(); ++n) {
        const AlignPoint& point = p.points[n];
        if (point.X < 0 || point.Y < 0 || point.X >= frameWidth || point.Y >= frameHeight) {
            throw ProjectError("Alignment point " + std::to_string(n + 1) + " of the project (" +
                               std::to_string(point.X) + ", " + std::to_string(point.Y) + ") lies off the " +
                               std::to_string(frameWidth) + " x " + std::to_string(frameHeight) + " frames");
        }
    }
}

void applyProject(const ProjectData& p, FrameModel& model, AlignmentPoints& points, ProgramState& state,
                  bool interlacedTicked, ProgressPort& progress) {
    const int frames = std::min(p.sequencelength, FrameCapacity);
    const bool full = p.form == ProjectForm::Full;
    const auto unit = static_cast<float>(shiftUnit(p.resampled, p.resamplevalue));
    // A slot's shift as aligned: also the shift saved at alignment (the saved shift is counted in
    // frame pixels).
    const auto setShift = [unit](TAlignSlotRec& slot, const ProjectSlot& value) {
        slot.X = value.X;
        slot.Y = value.Y;
        slot.ShiftScale = unit;
        const SlotShift saved = shiftAtScale(slot, 1.0);
        slot.SavedX = saved.X;
        slot.SavedY = saved.Y;
    };
    // The second field's shift: it keeps no shift saved at alignment.
    const auto setFieldShift = [unit](TAlignSlotRec& slot, const ProjectSlot& value) {
        slot.X = value.X;
        slot.Y = value.Y;
        slot.ShiftScale = unit;
    };
    // Sets each value the project holds for frames 0 .. frames - 1 into that frame's slot.
    const auto fill = [&](const std::vector<ProjectSlot>& values, int slot, auto set) {
        const int count = std::min(frames, static_cast<int>(values.size()));
        for (int i = 0; i < count; ++i)
            set(model.FrameTable[i].Slots[slot], values[static_cast<std::size_t>(i)]);
    };
    // The same for every point's slots, the progress bar counting the points.
    const auto fillPoints = [&](auto set) {
        for (std::size_t n = 0; n < p.slots.size(); ++n) {
            fill(p.slots[n], full ? static_cast<int>(n) + 1 : 0, set);
            progress.setPosition(static_cast<int>(n) + 1);
        }
    };
    // The status panels and the progress bar follow the parts as they are taken in, a point at a
    // time.
    progress.setStatus(2, " - excluded frames");
    for (int i = 0; i < frames; ++i) {
        const auto k = static_cast<std::size_t>(i);
        model.FrameTable[i].Excluded = k < p.excluded.size() && p.excluded[k];
    }
    progress.setStatus(2, " - X,Y shifts");
    progress.setMaximum(static_cast<int>(p.slots.size()));
    fillPoints(setShift);
    progress.setStatus(2, " - Quality,Difference");
    fillPoints(setInfo);
    // Only now is slot 1 whole, quality and difference included.
    if (full && !p.slots.empty())
        for (int i = 0; i < frames; ++i) model.FrameTable[i].Slots[0] = model.FrameTable[i].Slots[1];
    // The second field of interlaced frames, only while interlacing is switched on.
    if (interlacedTicked) {
        progress.setStatus(2, " - interlaced X,Y");
        if (p.interlaced) fill(*p.interlaced, 2, setFieldShift);
        progress.setStatus(3, " - interlaced info");
        if (p.interlaced) fill(*p.interlaced, 2, setInfo);
    }
    progress.setStatus(2, "- frame ranking ");
    for (int j = 0; j < frames && static_cast<std::size_t>(j) < p.ranking.size(); ++j) {
        const int frame = std::clamp(p.ranking[static_cast<std::size_t>(j)], 0, frames - 1);
        model.FrameRanking[j] = TRankRec{frame, model.FrameTable[frame].Slots[0].Quality, 0.0f};
    }
    progress.setPosition(0);
    progress.setStatus(2, " ");
    model.FramesRanked = false;
    model.usedframes = p.usedframes;
    model.SingleImage = p.usedframes == 1;

    const int count = std::clamp(p.alignpoints(), 1, MaxAlignPoints);
    const AlignPoint feature = p.points.empty() ? AlignPoint{} : p.points.front();
    if (count > 1) {
        setAlignPoints(points, p.points);
        points.Alignpoints = count;
        points.MultiPointMode = true;
        points.StopPlacing = true;
    } else {
        points.Alignpoints = 1;
        points.MultiPointMode = false;
        points.PointPos[1] = {feature.X, feature.Y};
        if (const int item = fftItemForSize(feature.FFTSize); item >= 0) {
            points.PointFFTSize[1] = feature.FFTSize;
            points.PointFFTIndex[1] = item;
        }
    }
    // Every point of the project stacks: the point list shows each of them ticked.
    for (int n = 1; n <= count; ++n) points.PointEnabled[static_cast<std::size_t>(n)] = true;
    state.FeatureX = feature.X;
    state.FeatureY = feature.Y;
    state.stackx = p.stackx;
    state.stacky = p.stacky;
    state.progstatus = static_cast<TProgStatus>(std::clamp(p.progstatus, 0, 4));
}

}  // namespace kestrave
