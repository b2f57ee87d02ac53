#pragma once
// The message sound through Qt Multimedia: a sound effect that starts playing and returns at
// once, so a message never waits for its sound.

#include <QObject>

#include "shell/message_routine.h"

namespace kestrave {

// A player of sound files for the message routine; its sound effect belongs to `owner`, and once
// the owner is gone the player is silent.
MessageRoutine::SoundPlayer soundEffectPlayer(QObject& owner);

}  // namespace kestrave
