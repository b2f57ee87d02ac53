#pragma once
// How a long pass ends in the window: the progress bar full when the pass finished and empty when
// it was cancelled or failed, and a status panel saying which, so that no text of the running
// pass ("Alignment processing", a frame number, 98 %) stays behind.

#include <string>

class QProgressBar;

namespace kestrave {

class ProgressPort;

enum class PassOutcome { Finished, Cancelled, Failed };

// "<what> finished", "<what> cancelled" or "<what> failed" in status panel `panel`; a pass that
// did not finish also leaves no frame number in panel 2.
void showPassEnd(QProgressBar& bar, ProgressPort& progress, int panel, const std::string& what,
                 PassOutcome outcome);

// A new input: the bar empty and the texts of the last pass gone.
void clearPassTexts(QProgressBar& bar, ProgressPort& progress);

}  // namespace kestrave
