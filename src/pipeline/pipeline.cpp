#include "pipeline/pipeline.h"

namespace kestrave {

PipelineCore::Subscription PipelineCore::subscribe(Observer observer) {
    observers_.emplace_back(++nextObserver_, std::move(observer));
    return Subscription(*this, nextObserver_);
}

PipelineCore::Subscription& PipelineCore::Subscription::operator=(Subscription&& other) noexcept {
    if (this != &other) {
        Subscription old(std::move(*this));
        pipeline_ = other.pipeline_;
        id_ = other.id_;
        other.pipeline_ = nullptr;
    }
    return *this;
}

PipelineCore::Subscription::~Subscription() {
    if (!pipeline_) return;
    auto& observers = pipeline_->observers_;
    std::erase_if(observers, [this](const auto& observer) { return observer.first == id_; });
}

void PipelineCore::announce(PipelineChange change) const {
    // An observer subscribed while others are told hears the next change; the list is copied so
    // that an observer may end a subscription meanwhile.
    const std::vector<std::pair<int, Observer>> observers = observers_;
    for (const auto& [id, observer] : observers) observer(change);
}

Pipeline& AlignStage::self() {
    return static_cast<Pipeline&>(*this);
}

Pipeline& StackStage::self() {
    return static_cast<Pipeline&>(*this);
}

Pipeline& ProjectStage::self() {
    return static_cast<Pipeline&>(*this);
}

}  // namespace kestrave
