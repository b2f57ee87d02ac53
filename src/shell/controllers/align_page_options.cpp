// The Align page's options that more than one area reads, each read from the page and the run.

#include "shell/controllers/align_page_options.h"

#include <QComboBox>

#include "frames/calibration_types.h"
#include "frames/debayer_options.h"
#include "frames/frame_positions.h"
#include "pipeline/pipeline.h"
#include "registration/quality_method.h"
#include "shell/pages/align_page.h"
#include "widgets/check_box.h"
#include "widgets/radio_group.h"
#include "widgets/spin_edit.h"

namespace kestrave {

QualityMethodChoice qualityMethodChoice(const AlignPage& page) {
    return kestrave::QualityMethodComboChange(page.QualityMethodCombo->currentIndex(),
                                              static_cast<double>(page.QualityFilter->Value()),
                                              static_cast<double>(page.QualFilterDX->Value()));
}

BoxLevelOptions boxLevelOptions(const AlignPage& page) {
    BoxLevelOptions levels;
    levels.biasSubtract = page.Blurbox->Checked();
    levels.bias = static_cast<double>(page.Bias->Value());
    levels.darkSubtract = page.Usedarkframe->Checked() && !page.Rawdark->Checked();
    return levels;
}

FrameSourceOptions readSourceOptions(const AlignPage& page, const Pipeline& pipeline) {
    FrameSourceOptions options;
    options.DebayerEnabled = pipeline.debayer().DebayerEnabled;
    options.debayer.pattern = bayerPatternForItem(page.debayergroup->ItemIndex());
    // A raw dark of another size than the frames is left out (stacking tells the user).
    options.debayer.Rawdark =
        page.Rawdark->Checked() && planesMatchFrame(pipeline.images().DarkPlanes, pipeline.model().FrameWidth,
                                                    pipeline.model().FrameHeight);
    options.DarkPlanes = &pipeline.images().DarkPlanes;
    options.TifStretch = pipeline.model().TifStretch;
    return options;
}

ReferenceOptions readReferenceOptions(const AlignPage& page, const Pipeline& pipeline) {
    const QualityGrading quality = qualityMethodChoice(page).grading;
    ReferenceOptions options;
    options.LumWeights = pipeline.state().LumWeights;
    options.levels = boxLevelOptions(page);
    options.spectralQuality = !quality.fromImage();
    options.HVSWeighting = quality.HVSWeighting;
    options.interlaced = page.interlaced->Checked();
    options.Interlacehoriz = page.Interlacehoriz->Checked();
    options.FFTFilter = static_cast<double>(page.FFTFilterspin->Value());
    options.QualityFilter = static_cast<double>(page.QualityFilter->Value());
    options.QualFilterDX = static_cast<double>(page.QualFilterDX->Value());
    return options;
}

bool automaticProcessing(const AlignPage& page, const Pipeline& pipeline) {
    return page.Autoprocess->Checked() && !pipeline.state().BatchMode;
}

}  // namespace kestrave
