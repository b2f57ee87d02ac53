#pragma once
// Waiting on the window's thread for the character's threads: the window keeps painting and
// its timers keep running, while the user's key presses and mouse actions that arrive meanwhile
// are dropped. A request to quit the application ends the wait at once.

#include <functional>

namespace kestrave {

class TAssistantDirector;

enum class WaitResult { Signalled, Timeout, Quit };

// Runs the window's events until `ready()` holds (tested every few milliseconds), `timeoutMs`
// milliseconds have passed (a negative time: no limit) or the application quits.
WaitResult waitPumping(const std::function<bool()>& ready, int timeoutMs);

// Makes the director's waits on the window's thread pump its events.
void installPumpingWaits(TAssistantDirector& director);

}  // namespace kestrave
