#include "widgets/form_stored_props.h"

namespace kestrave {

namespace {

// The moveable tool windows of the main window; each keeps its position.
constexpr const char* ToolWindows[] = {
    "Registrationgraphwindow",
    "AngleDist",
    "Registerhaltwindow",
    "Zoomwindow",
    "SelectFrameswindow",
    "FFTWindow",
    "Multialignwindow",
    "RegiStration2",
    "movements",
    "StackFrameswindow",
    "Stackgraphpanel",
    "Sigmaevents",
    "Alignmentpointswindow",
    "Filterwindow",
    "WaveZoom",
    "HistoRGBWindow",
    "HistoWindow",
    "Tonemapwindow",
    "Gammawindow",
    "HLSwindow",
    "MultiAlignprogresswindow",
    "Imageinfowindow",
    "Shrinkview",
};

QStringList buildList() {
    QStringList list{
        // Start-up: processing area, resampling filter, quality methods, box size, language.
        "Processarea.Text",
        "HoldProcesarea.Checked",
        "ResampleMethod.Text",
        "CopyAlignmethods.ItemIndex",
        "FFTsizeGroup.ItemIndex",
        "Languagebox.Text",
        "Autolanguage.Checked",
        // Whether a project's save and load warn first ("do not show again" unticks it for good).
        "Projectmessages.Checked",
        // Update check: whether to ask, and where.
        "Checkupdates.Checked",
        "VersionNo.Caption",
        // Options whose restored state start-up acts on.
        "Autoprocessbox.Checked",
        "Autoprocess.Checked",
        "Colourstack.Checked",
        "interlaced.Checked",
        "Interlacehoriz.Checked",
        "Usedarkframe.Checked",
        "UseFlatfield.Checked",
        "Resampled.Checked",
        // Wavelet steps.
        "LevelStep.Value",
        "Multiplicant.Value",
        // Resize ratio.
        "CopyResize.ItemIndex",
        // Sigma event recording.
        "Sigmaeventsigma.Value",
        "SigmaEdge.Value",
        "Lowpixdetect.Value",
        // Quality estimation and the TIFF stretch.
        "QualityFilter.Value",
        "QualFilterDX.Value",
        "Compresfactor.Value",
        "Autofilter.Checked",
        "Fittifstretch.ItemIndex",
    };
    for (const char* window : ToolWindows) {
        list << QString::fromLatin1(window) + ".Left" << QString::fromLatin1(window) + ".Top";
    }
    return list;
}

}  // namespace

const QStringList& mainFormStoredProps() {
    static const QStringList list = buildList();
    return list;
}

}  // namespace kestrave
