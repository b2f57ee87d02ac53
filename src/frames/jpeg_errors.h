#pragma once
// Errors of libjpeg come back through longjmp, so no C++ exception ever crosses its C frames and a
// damaged picture or a failed encoding cannot end the program. The caller installs the manager,
// calls setjmp(errors.jump) in a frame that holds only trivially destructible objects, and does
// the libjpeg work there.

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace kestrave {

struct JpegErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

// Sets up `errors` as the error manager of a (de)compressor: errors jump back, warnings about
// damaged data are not printed.
inline jpeg_error_mgr* installJpegErrors(JpegErrorManager& errors) {
    jpeg_std_error(&errors.base);
    errors.base.error_exit = [](j_common_ptr info) {
        std::longjmp(reinterpret_cast<JpegErrorManager*>(info->err)->jump, 1);
    };
    errors.base.output_message = [](j_common_ptr) {};
    return &errors.base;
}

}  // namespace kestrave
