#include "HeifFileSource.h"

#include "HeifLibrary.h"
#include "ImageFile.h"

namespace {

QFile &fileOf(void *userdata) {
    return *static_cast<QFile *>(userdata);
}

std::int64_t position(void *userdata) {
    return fileOf(userdata).pos();
}

// Whole reads only: a file cut short since it was opened fails here rather than giving libheif less.
int readBytes(void *data, std::size_t size, void *userdata) {
    auto *to = static_cast<char *>(data);
    for (std::size_t done = 0; done < size;) {
        const qint64 got = fileOf(userdata).read(to + done, static_cast<qint64>(size - done));
        if (got <= 0) {
            return 1;
        }
        done += static_cast<std::size_t>(got);
    }
    return 0;
}

int seekTo(std::int64_t target, void *userdata) {
    return fileOf(userdata).seek(target) ? 0 : 1;
}

heif_reader_grow_status waitForSize(std::int64_t target, void *userdata) {
    return target <= fileOf(userdata).size() ? heif_reader_grow_status_size_reached
                                             : heif_reader_grow_status_size_beyond_eof;
}

} // namespace

THeifFileSource::THeifFileSource(const QString &path) : file_(path) {
    OpenImageFile(file_);
    reader_.reader_api_version = 1;
    reader_.get_position = position;
    reader_.read = readBytes;
    reader_.seek = seekTo;
    reader_.wait_for_file_size = waitForSize;
}

heif_error THeifFileSource::ReadInto(heif_context *context) {
    return Heif().heif_context_read_from_reader(context, &reader_, &file_, nullptr);
}
