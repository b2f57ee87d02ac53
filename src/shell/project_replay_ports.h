#pragma once
// What loading a project asks of the areas whose steps it takes again: the project's input taken
// (or the frame list chosen in its place), the stored box size put in force, the dark frame and
// flat field reloaded by name and type, and the registration graph's windows opened with the graph
// drawn. Only the project's load holds it; the window hands each step to the controller of its
// area.

#include <filesystem>
#include <string>

#include "frames/input_plan.h"

namespace kestrave {

class ProjectReplayPorts {
public:
    virtual ~ProjectReplayPorts() = default;
    // The project's input, taken as the project's load takes it; false (the old input kept) when
    // it cannot be taken.
    virtual bool takeInput(const InputPlan& plan) = 0;
    // A frame list chosen in the project dialog becomes the input instead.
    virtual void takeFrameList(const std::filesystem::path& file) = 0;
    // The box size the restored controls name is put in force, as a choice of it does.
    virtual void applyBoxSize() = 0;
    virtual void loadDarkFrame(const std::string& file, int type) = 0;
    virtual void loadFlatField(const std::string& file, int type) = 0;
    // The registration graph's switch is followed (its windows shown) and the graph drawn.
    virtual void showRegistrationGraph() = 0;
};

}  // namespace kestrave
