#include "SendBuffer.h"

#ifdef Q_OS_LINUX
#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <cstdlib>
#endif

namespace SendBuffer {

#ifdef Q_OS_LINUX
namespace {

bool isTcpTo(int fd, quint16 peerPort) {
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISSOCK(st.st_mode)) {
        return false;
    }
    int type = 0;
    socklen_t length = sizeof type;
    if (getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &length) != 0 || type != SOCK_STREAM) {
        return false;
    }
    sockaddr_storage peer{};
    length = sizeof peer;
    if (getpeername(fd, reinterpret_cast<sockaddr *>(&peer), &length) != 0) {
        return false; // not connected
    }
    if (peer.ss_family == AF_INET) {
        return ntohs(reinterpret_cast<const sockaddr_in &>(peer).sin_port) == peerPort;
    }
    if (peer.ss_family == AF_INET6) {
        return ntohs(reinterpret_cast<const sockaddr_in6 &>(peer).sin6_port) == peerPort;
    }
    return false;
}

} // namespace

int BoundConnectionsTo(quint16 peerPort, int bytes) {
    DIR *folder = opendir("/proc/self/fd");
    if (folder == nullptr) {
        return 0;
    }
    const int own = dirfd(folder);
    int bounded = 0;
    while (const dirent *entry = readdir(folder)) {
        char *end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || fd == own || !isTcpTo(int(fd), peerPort)) {
            continue;
        }
        int current = 0;
        socklen_t length = sizeof current;
        // Set even when smaller: a size set by hand also stops the kernel from growing it later. The
        // kernel reports twice what was asked.
        if (getsockopt(int(fd), SOL_SOCKET, SO_SNDBUF, &current, &length) == 0 && current != 2 * bytes &&
            setsockopt(int(fd), SOL_SOCKET, SO_SNDBUF, &bytes, sizeof bytes) == 0) {
            ++bounded;
        }
    }
    closedir(folder);
    return bounded;
}
#else
int BoundConnectionsTo(quint16, int) {
    return 0;
}
#endif

} // namespace SendBuffer
