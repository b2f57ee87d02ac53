#pragma once
// Handlers of the Final page. `UpdateFinalBitmap` rebuilds the final image from the rendered
// result; it is the entry point the tab strip calls, and does nothing until the final page's
// work arrives.

#include <QObject>

namespace kestrave {

class FinalController : public QObject {
public:
    FinalController() = default;

    void UpdateFinalBitmap();
};

}  // namespace kestrave
