#include "shell/controllers/final_controller.h"

namespace kestrave {

void FinalController::UpdateFinalBitmap() {}

}  // namespace kestrave
