#include "shell/batch_runner.h"

#include "shell/application_context.h"
#include "shell/main_form.h"

namespace kestrave {

BatchOutcome RunBatchCommands(TMainForm& form) {
    const BatchCommands& batch = form.app.batch;
    if (!batch.BatchPending || batch.BatchLineCount <= 1) return {};
    form.app.messages().NewMessagedlg("Batch", "Batch commands are not yet supported", mtError, mbOK, 0,
                                      false, "");
    return {BatchFailed, false};
}

}  // namespace kestrave
