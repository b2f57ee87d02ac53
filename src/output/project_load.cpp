#include "output/project_load.h"

#include <algorithm>
#include <system_error>

#include "frames/frame_list.h"

namespace kestrave {

namespace fs = std::filesystem;

namespace {

// `name` where it is, else its file name (of either system) in `folder`.
std::string foundAgain(const std::string& name, const fs::path& folder) {
    std::error_code ec;
    if (!name.empty() && fs::exists(name, ec)) return name;
    const std::size_t slash = name.find_last_of("/\\");
    return (folder / (slash == std::string::npos ? name : name.substr(slash + 1))).string();
}

}  // namespace

InputPlan projectInputPlan(const ProjectData& p, const fs::path& projectFile) {
    const fs::path projectFolder = projectFile.parent_path();
    std::error_code ec;
    const fs::path folder =
        !p.filedir.empty() && fs::is_directory(p.filedir, ec) ? fs::path(p.filedir) : projectFolder;
    InputPlan plan;
    plan.filter = filterOfInputType(p.InputType);
    switch (p.InputType) {
        case TInputType::itAVI:
            if (p.aviFiles.empty()) {
                plan.files.push_back(foundAgain(p.AviName, folder));
            } else {
                for (const ProjectAviFile& file : p.aviFiles)
                    plan.files.push_back(foundAgain(file.FileName, folder));
            }
            break;
        case TInputType::itSER:
            if (p.SerName.empty()) throw ProjectError("The project names no SER file");
            plan.files.push_back(foundAgain(p.SerName, folder));
            break;
        default:
            plan.files.reserve(p.frameNames.size());
            for (const std::string& name : p.frameNames) plan.files.push_back((folder / name).string());
            break;
    }
    return plan;
}

std::string missingInputText(const InputPlan& plan) {
    const std::string missing = firstMissingFile(plan);
    if (missing.empty()) return {};
    switch (plan.filter) {
        case InputFilter::AVI:
            return "Error : Avifile " + missing + " missing, project not loaded";
        case InputFilter::SER:
            return "Error : SER file " + missing + " missing, project not loaded";
        default:
            return "Error : Bitmapfile " + fs::path(missing).filename().string() +
                   " missing, project not loaded";
    }
}

ReplayPlan planReplay(const ProjectData& p, bool Usedarkframe, bool UseFlatfield) {
    ReplayPlan plan;
    auto& steps = plan.steps;
    if (Usedarkframe && p.dark) steps.push_back(ReplayStep::LoadDarkFrame);
    if (UseFlatfield && p.flat) steps.push_back(ReplayStep::LoadFlatField);
    const int status = p.progstatus;
    if (status == 2) steps.push_back(ReplayStep::DrawRegistrationGraph);
    if (status == 3) steps.push_back(ReplayStep::OpenStackPage);
    if (status >= 1) steps.push_back(ReplayStep::RebuildReference);
    if (status >= 3) steps.push_back(ReplayStep::ShowRegistrationGraph);
    if (status >= 4) {
        steps.push_back(ReplayStep::RestoreStackControls);
        plan.stackSlider = p.stackslider;
        // The stack takes the ranks it took when saved; a file that does not say how far, up to
        // the slider's position.
        plan.stackBound = p.stacktag >= 0 ? p.stacktag : p.stackslider;
        plan.differenceCut = p.stackdifslider == 100 ? 1000 : p.stackdifslider;
        plan.stackListCount = std::clamp(p.usedframes, 0, p.sequencelength);
    }
    if (status >= 3 && p.alignpoints() > 1) steps.push_back(ReplayStep::RestorePointCutoffs);
    if (status == 4) {
        if (p.wavelet) steps.push_back(ReplayStep::RestoreWaveletControls);
        steps.push_back(ReplayStep::StackAgain);
        steps.push_back(ReplayStep::ProcessAgain);
    }
    return plan;
}

LoadedPages loadedPages(int storedActivepage, TMainTab replayActivepage) {
    LoadedPages pages;
    const int highest = std::max(storedActivepage, static_cast<int>(replayActivepage));
    pages.activepage = static_cast<TMainTab>(std::clamp(highest, 0, static_cast<int>(TMainTab::tabAbout)));
    if (storedActivepage >= 1 && storedActivepage <= 4)
        pages.shownTab = static_cast<TMainTab>(storedActivepage - 1);
    return pages;
}

fs::path videoNamedAfterProject(const fs::path& video, const fs::path& project) {
    return video.parent_path() / (project.stem().string() + ".avi");
}

void moveFile(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    if (fs::exists(to, ec) || ec) throw FileError(to.string() + " already exists");
    fs::rename(from, to, ec);
    if (!ec) return;
    if (ec != std::errc::cross_device_link)
        throw FileError("Cannot move " + from.string() + ": " + ec.message());
    std::error_code copied;
    fs::copy_file(from, to, fs::copy_options::none, copied);
    std::error_code removed;
    if (!copied) fs::remove(from, removed);
    if (copied || removed) {
        std::error_code ignored;
        if (!copied || fs::exists(from, ignored)) fs::remove(to, ignored);
        throw FileError("Cannot move " + from.string() + ": " + (copied ? copied : removed).message());
    }
}

}  // namespace kestrave
