#pragma once
// The handlers one area of the window calls in another. A controller holds its own page and tool
// windows, the pipeline and this port — never another area's controller — so the areas'
// controllers are made in any order, with no second wiring, and each can be built alone in a test.
// The main window implements the port by forwarding each entry point to the controller that owns
// it.
//
// Handlers call each other where the program's own steps do: a new input resets the alignment
// method.

#include <filesystem>
#include <string>
#include <vector>

#include "frames/frame_source.h"
#include "frames/input_selection.h"

namespace kestrave {

struct ReferenceOptions;

class WindowEntryPoints {
public:
    virtual ~WindowEntryPoints() = default;

    // The window: the tab strip, the "Continue" wait, cancelling, the processed view's fit.
    virtual void selectTab(int tab) = 0;
    virtual void waitForContinue() = 0;
    virtual void CancelButtonClick() = 0;
    virtual void ProcessViewfullClick() = 0;
    virtual void FormResize() = 0;

    // The input: the frame slider, the preview, the frame source and the frame list.
    virtual void PreviewSliderChange() = 0;
    virtual void showPicture() = 0;
    virtual int lastIndex() const = 0;
    virtual FrameSourceOptions readSourceOptions() const = 0;
    virtual void fillFrameList(const std::vector<std::string>& items) = 0;
    virtual void openInputFile(const std::string& file, InputFilter filter) = 0;
    virtual void loadFrameList(const std::filesystem::path& file) = 0;
    virtual bool takeProjectInput(const InputPlan& plan) = 0;
    // The dark frame and flat field a project names, reloaded by name and type.
    virtual void LoadDarkframeFile(const std::string& FileName, int FileType) = 0;
    virtual void LoadFlatfieldFile(const std::string& FileName, int FileType) = 0;

    // The alignment.
    virtual void AlignmethodClick() = 0;
    virtual void FFTsizeGroupClick() = 0;
    virtual void applyDebayerSwitch() = 0;
    virtual void DrawRegistrationGraph() = 0;
    virtual void ShowgraphboxClick() = 0;
    virtual void QualityMethodComboChange() = 0;
    virtual void mirrorColourstack(bool colour) = 0;
    virtual ReferenceOptions readReferenceOptions() const = 0;
};

}  // namespace kestrave
