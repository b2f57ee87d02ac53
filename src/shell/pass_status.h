#pragma once
// How a long pass ends in the window: the progress bar empty and no text of the running pass
// ("Alignment processing", a frame number, 98 %) left behind; a pass that did not finish says so.

#include <string>

class QProgressBar;

namespace kestrave {

class ProgressPort;

enum class PassOutcome { Finished, Cancelled, Failed };

// A finished pass empties status panel `panel`; one that did not finish puts "<what> cancelled" or
// "<what> failed" there and leaves none of its running texts (a frame number, "Optimizing 90
// frames").
void showPassEnd(QProgressBar& bar, ProgressPort& progress, int panel, const std::string& what,
                 PassOutcome outcome);
// A pass begins: the word an earlier pass's end left in `panel` (where this one's end will go)
// goes, so that no "cancelled" reads as the state of the pass now running.
void showPassStart(ProgressPort& progress, int panel);

// A new input: the bar empty and the texts of the last pass gone.
void clearPassTexts(QProgressBar& bar, ProgressPort& progress);

}  // namespace kestrave
