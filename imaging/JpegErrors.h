#pragma once
// libjpeg reports a fatal error by calling error_exit, which must not return; its default ends the
// process. This manager long-jumps back to the call that JpegGuarded made instead, and JpegGuarded
// turns the jump into a std::runtime_error carrying libjpeg's own message. Only plain C frames lie
// between the jump and its target, so no destructor is skipped; the libjpeg objects themselves are
// destroyed by their owners as the exception unwinds, which frees every libjpeg allocation.

#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE and size_t declared first
#include <jpeglib.h>
#include <stdexcept>

struct TJpegErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

// Points cinfo->err at errors, set up as described above. Data that ends before the image does
// ("Premature end of JPEG file", "premature end of data segment") counts as fatal; libjpeg's other
// warnings (recoverable damage such as stray bytes) are ignored and print nothing.
void InstallJpegErrors(j_common_ptr cinfo, TJpegErrorManager &errors);

// Ends the current libjpeg call with the given message, like a libjpeg error of our own.
[[noreturn]] void FailJpeg(j_common_ptr cinfo, const char *message);

// Runs call, which may only call libjpeg and touch trivially destructible state; a libjpeg error
// inside it becomes a std::runtime_error thrown from here.
template <typename Call> void JpegGuarded(TJpegErrorManager &errors, Call &&call) {
    if (setjmp(errors.jump) != 0) {
        throw std::runtime_error(errors.message);
    }
    call();
}
