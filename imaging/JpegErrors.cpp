#include "JpegErrors.h"

#include <cstring>
#include <jerror.h>

namespace {

TJpegErrorManager &managerOf(j_common_ptr cinfo) {
    // pub is the first member, so the error pointer libjpeg holds is the manager's address.
    return *reinterpret_cast<TJpegErrorManager *>(cinfo->err);
}

[[noreturn]] void errorExit(j_common_ptr cinfo) {
    TJpegErrorManager &errors = managerOf(cinfo);
    (*cinfo->err->format_message)(cinfo, errors.message);
    std::longjmp(errors.jump, 1);
}

void emitMessage(j_common_ptr cinfo, int level) {
    if (level < 0) {
        ++cinfo->err->num_warnings;
        // The data ending before the last pixel means an incomplete photo, not a damaged byte.
        if (cinfo->err->msg_code == JWRN_JPEG_EOF || cinfo->err->msg_code == JWRN_HIT_MARKER) {
            errorExit(cinfo);
        }
    }
}

void outputMessage(j_common_ptr) {}

} // namespace

void InstallJpegErrors(j_common_ptr cinfo, TJpegErrorManager &errors) {
    cinfo->err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = errorExit;
    errors.pub.emit_message = emitMessage;
    errors.pub.output_message = outputMessage;
    errors.message[0] = '\0';
}

void FailJpeg(j_common_ptr cinfo, const char *message) {
    TJpegErrorManager &errors = managerOf(cinfo);
    std::strncpy(errors.message, message, sizeof errors.message - 1);
    errors.message[sizeof errors.message - 1] = '\0';
    std::longjmp(errors.jump, 1);
}
