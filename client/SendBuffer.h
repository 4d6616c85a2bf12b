#pragma once
// Bounds the kernel's send buffer of the process's TCP connections to one server port. Qt's network
// stack owns its sockets and offers no option for their buffers, while the kernel grows a send buffer
// to megabytes on a fast or long link: a request would then look sent long before the server has
// read it, and could not be stopped in time. The connections are found among the process's own file
// descriptors by their peer's port; another connection of this process to the same port is bounded
// too, which only slows its sending a little. Linux only; elsewhere nothing is done.

#include <QtGlobal>

namespace SendBuffer {

// The buffer asked for; the kernel doubles it for its own book-keeping.
inline constexpr int kBytes = 128 * 1024;

// Sets SO_SNDBUF to `bytes` on every connected TCP socket of this process whose peer port is
// `peerPort` (a size set this way also keeps the kernel from growing it); returns how many sockets
// were set.
int BoundConnectionsTo(quint16 peerPort, int bytes = kBytes);

} // namespace SendBuffer
