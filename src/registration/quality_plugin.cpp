#include "registration/quality_plugin.h"

#include <dlfcn.h>

#include <string>

#include "platform/program_dir.h"

namespace kestrave {

std::mutex QualityPlugin::calls_;

namespace {

// The error with the system's reason for the last failed dlopen or dlsym.
QualityPluginError notFound() {
    const char* reason = dlerror();
    std::string text = "Quality DLL not found.";
    if (reason != nullptr) text += std::string(" ") + reason;
    return QualityPluginError(text);
}

}  // namespace

QualityPlugin::QualityPlugin() {
    const std::filesystem::path installed = findResource(QualityPluginFile);
    const std::string name = installed.empty() ? std::string(QualityPluginFile) : installed.string();
    handle_ = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) throw notFound();
    dlerror();
    estimator_ = reinterpret_cast<Estimator>(dlsym(handle_, "Estimator"));
    if (estimator_ == nullptr) {
        QualityPluginError error = notFound();
        dlclose(handle_);
        throw error;
    }
}

QualityPlugin::~QualityPlugin() {
    dlclose(handle_);
}

double QualityPlugin::estimate(const Bitmap24& box) const {
    const std::lock_guard lock(calls_);
    return estimator_(box.bits(), box.width(), box.height(), static_cast<std::int32_t>(box.stride()));
}

double ExternalQuality(const Bitmap24& box) {
    const QualityPlugin plugin;
    return plugin.estimate(box);
}

}  // namespace kestrave
