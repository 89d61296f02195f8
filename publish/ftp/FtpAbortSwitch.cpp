#include "publish/ftp/FtpAbortSwitch.h"

#include <sys/socket.h>

namespace publish {

void FtpAbortSwitch::trip() {
    tripped_.store(true);
    shutDownAll();
}

void FtpAbortSwitch::add(int socket) {
    const std::lock_guard lock(mutex_);
    sockets_.insert(socket);
}

void FtpAbortSwitch::remove(int socket) {
    const std::lock_guard lock(mutex_);
    sockets_.erase(socket);
}

void FtpAbortSwitch::shutDownAll() {
    // Under the lock: a socket is closed (and its number reused) only after remove().
    const std::lock_guard lock(mutex_);
    for (const int socket : sockets_)
        ::shutdown(socket, SHUT_RDWR);
}

} // namespace publish
