#pragma once
// State of the registration that lives from one user action to the next: the feature the user
// picked and the alignment box around it, the reference spectrum computed from that box, the
// flags that tell automatic filter values from the user's own, and the tracking values of the
// alignment pass that a new reference puts back. The application owns one RegistrationState
// beside the ProgramState (which holds FeatureX/FeatureY and the tracking offset) and passes it
// by reference.

#include "frames/plane.h"
#include "platform/bitmap24.h"

namespace kestrave {

struct RegistrationState {
    RegistrationState() = default;
    // Holds the reference planes and picture: passed by reference, never copied.
    RegistrationState(const RegistrationState&) = delete;
    RegistrationState& operator=(const RegistrationState&) = delete;

    // Top-left corner of the alignment box: FeatureX - N / 2, FeatureY - N / 2 for box side N.
    int BoxLeft = 0;
    int BoxTop = 0;
    // The preview slider position at which the feature was picked; refframe holds the same value
    // and is the one a project file stores.
    int FeatureFrame = 0;
    int refframe = 0;
    // A feature has been picked for the current box size.
    bool FeatureChosen = false;
    // An alignment waits for a click on the preview; the click that ended the wait.
    bool WaitForClick = false;
    int ClickX = 0;
    int ClickY = 0;

    // Set while the reference is computed for a freshly picked feature, a new input or a new
    // quality method: the automatic filter values then apply even where the user set them.
    bool UserBoxPlaced = false;
    // Armed: a change of the control counts as the user's. Manual: the user has set the value,
    // and the automatic computation leaves it alone.
    bool FFTFilterArmed = false;
    bool FFTFilterManual = false;
    bool QualityFilterArmed = false;
    bool QualityFilterManual = false;
    // Centre of the human-vision weighting, Round(CentralHVS) once the spin has changed.
    int HVSCentre = 5;

    // Tracking of the alignment pass besides the offset: half the change of the shift from the
    // previous frame, and the previous frame's correlation peak.
    int TrackStepX = 0;
    int TrackStepY = 0;
    double LastPeak = 0.0;

    // The reference: the box's levels (N x N, [x][y]), its band-limited spectrum, and the
    // picture of the reference frame that the alignment compares every frame with.
    T2dArrays FFTWindowPlane;
    T2dArrays RefSpectrumRe;
    T2dArrays RefSpectrumIm;
    Bitmap24 Image1;
};

}  // namespace kestrave
