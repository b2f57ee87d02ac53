#pragma once
// The errors of the actor-library reader.

#include <string>

#include "platform/errors.h"

namespace kestrave {

// The file named as actor library is missing or not one: the reason, a line break and the file
// name ("File not found\r\n/home/…/merlin.actor").
class EActorError : public FileError {
public:
    EActorError(const std::string& reason, const std::string& fileName)
        : FileError(reason + "\r\n" + fileName) {}
};

// Frame data of one animation that cannot be expanded or does not hold what its header
// promises. The engine refuses such an animation; the user is not told (the character simply
// does not play it).
class ActorDataError : public FileError {
public:
    using FileError::FileError;
};

}  // namespace kestrave
