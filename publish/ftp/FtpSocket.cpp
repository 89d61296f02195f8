#include "publish/ftp/FtpSocket.h"

#include "publish/ftp/FtpAbortSwitch.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

namespace publish {

namespace {

// How often a wait for the resolver looks at the abort switch.
constexpr auto ResolverSlice = std::chrono::milliseconds(50);

QString systemText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

int millisecondsUntil(FtpClock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - FtpClock::now());
    if (left.count() <= 0)
        return 0;
    // Rounded up, so that a wait does not end a moment before its deadline and spin.
    return static_cast<int>(std::min<long long>(left.count() + 1, 24LL * 3600 * 1000));
}

// A lookup that may outlive the wait for it: the helper thread owns its share.
struct Lookup {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    int result = 0;
    addrinfo* list = nullptr;
    ~Lookup() {
        if (list)
            freeaddrinfo(list);
    }
};

} // namespace

quint16 FtpSocket::Address::port() const {
    if (storage.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in&>(storage).sin_port);
    if (storage.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6&>(storage).sin6_port);
    return 0;
}

void FtpSocket::Address::setPort(quint16 port) {
    if (storage.ss_family == AF_INET)
        reinterpret_cast<sockaddr_in&>(storage).sin_port = htons(port);
    else if (storage.ss_family == AF_INET6)
        reinterpret_cast<sockaddr_in6&>(storage).sin6_port = htons(port);
}

QString FtpSocket::Address::host() const {
    char text[INET6_ADDRSTRLEN] = {};
    if (storage.ss_family == AF_INET)
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in&>(storage).sin_addr, text,
                  sizeof text);
    else if (storage.ss_family == AF_INET6)
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6&>(storage).sin6_addr, text,
                  sizeof text);
    return QString::fromLatin1(text);
}

FtpSocket::FtpSocket(int fd, std::shared_ptr<FtpAbortSwitch> abort)
    : fd_(fd), abort_(std::move(abort)) {
    abort_->add(fd_);
}

FtpSocket::FtpSocket(FtpSocket&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), abort_(std::move(other.abort_)) {}

FtpSocket& FtpSocket::operator=(FtpSocket&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
        abort_ = std::move(other.abort_);
    }
    return *this;
}

FtpSocket::~FtpSocket() {
    close();
}

void FtpSocket::close() {
    if (fd_ < 0)
        return;
    // Off the switch first: a number closed while the switch still holds it could be shut
    // down again after the system hands it to another file.
    abort_->remove(fd_);
    ::close(std::exchange(fd_, -1));
}

std::vector<FtpSocket::Address> FtpSocket::resolve(const QString& host, quint16 port,
                                                   const std::shared_ptr<FtpAbortSwitch>& abort,
                                                   FtpClock::time_point deadline) {
    auto lookup = std::make_shared<Lookup>();
    std::thread([lookup, name = host.toStdString(), service = std::to_string(port)] {
        addrinfo hints{};
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_protocol = IPPROTO_TCP;
        addrinfo* list = nullptr;
        const int result = getaddrinfo(name.c_str(), service.c_str(), &hints, &list);
        const std::lock_guard lock(lookup->mutex);
        lookup->result = result;
        lookup->list = list;
        lookup->done = true;
        lookup->finished.notify_all();
    }).detach();
    std::unique_lock lock(lookup->mutex);
    while (!lookup->done) {
        if (abort->tripped())
            throw FtpFault{FtpFault::Kind::Aborted, {}};
        if (FtpClock::now() >= deadline)
            throw FtpFault{FtpFault::Kind::Timeout, {}};
        lookup->finished.wait_for(lock, ResolverSlice);
    }
    if (lookup->result != 0)
        throw FtpFault{FtpFault::Kind::Unreachable,
                       QStringLiteral("the host \"%1\" cannot be found (%2)")
                           .arg(host, QString::fromLocal8Bit(gai_strerror(lookup->result)))};
    std::vector<Address> addresses;
    for (const addrinfo* a = lookup->list; a; a = a->ai_next) {
        if ((a->ai_family != AF_INET && a->ai_family != AF_INET6) ||
            a->ai_addrlen > sizeof(sockaddr_storage))
            continue;
        Address address;
        std::memcpy(&address.storage, a->ai_addr, a->ai_addrlen);
        address.length = a->ai_addrlen;
        addresses.push_back(address);
    }
    if (addresses.empty())
        throw FtpFault{FtpFault::Kind::Unreachable,
                       QStringLiteral("the host \"%1\" has no address").arg(host)};
    return addresses;
}

FtpSocket FtpSocket::connect(const Address& address, const std::shared_ptr<FtpAbortSwitch>& abort,
                             FtpClock::time_point deadline) {
    const int fd =
        ::socket(address.storage.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw FtpFault{FtpFault::Kind::Unreachable, systemText(errno)};
    FtpSocket socket(fd, abort);
    // Commands are single short lines that should leave at once.
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address.storage), address.length) != 0 &&
        errno != EINPROGRESS)
        throw FtpFault{FtpFault::Kind::Unreachable, systemText(errno)};
    if (!socket.wait(POLLOUT, deadline))
        throw FtpFault{FtpFault::Kind::Timeout, {}};
    const int error = socket.resetError();
    if (error)
        throw FtpFault{FtpFault::Kind::Unreachable, systemText(error)};
    return socket;
}

FtpSocket FtpSocket::listen(Address local, const std::shared_ptr<FtpAbortSwitch>& abort) {
    const int fd = ::socket(local.storage.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw FtpFault{FtpFault::Kind::Unreachable, systemText(errno)};
    FtpSocket socket(fd, abort);
    local.setPort(0);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&local.storage), local.length) != 0 ||
        ::listen(fd, 1) != 0)
        throw FtpFault{FtpFault::Kind::Unreachable, systemText(errno)};
    return socket;
}

FtpSocket FtpSocket::accept(FtpClock::time_point deadline) {
    for (;;) {
        const int fd = ::accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0)
            return FtpSocket(fd, abort_);
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR && errno != ECONNABORTED)
            throw FtpFault{FtpFault::Kind::Unreachable, systemText(errno)};
        if (!wait(POLLIN, deadline))
            throw FtpFault{FtpFault::Kind::Timeout, {}};
    }
}

void FtpSocket::throwIfAborted() const {
    if (abort_->tripped())
        throw FtpFault{FtpFault::Kind::Aborted, {}};
}

bool FtpSocket::wait(short events, FtpClock::time_point deadline) const {
    for (;;) {
        throwIfAborted();
        pollfd p{fd_, events, 0};
        const int ready = ::poll(&p, 1, millisecondsUntil(deadline));
        throwIfAborted();
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR)
            throw FtpFault{FtpFault::Kind::Closed, systemText(errno)};
        if (ready == 0 && FtpClock::now() >= deadline)
            return false;
    }
}

void FtpSocket::sendAll(const char* data, size_t size, std::chrono::milliseconds stall) {
    for (size_t done = 0; done < size;) {
        const ssize_t n = ::send(fd_, data + done, size - done, MSG_NOSIGNAL);
        if (n > 0) {
            done += size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            throw FtpFault{FtpFault::Kind::Closed, systemText(errno)};
        if (!wait(POLLOUT, FtpClock::now() + stall))
            throw FtpFault{FtpFault::Kind::Stalled, {}};
    }
}

qint64 FtpSocket::sendFile(int fileFd, qint64 count, std::vector<char>& block,
                           std::chrono::milliseconds stall) {
    qint64 sent = 0;
    while (sent < count) {
        const ssize_t n =
            ::pread(fileFd, block.data(),
                    size_t(std::min<qint64>(count - sent, qint64(block.size()))), sent);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw FtpFault{FtpFault::Kind::Unreadable, systemText(errno)};
        if (n == 0)
            break; // the file ended early
        sendAll(block.data(), size_t(n), stall);
        sent += n;
    }
    return sent;
}

size_t FtpSocket::receive(char* buffer, size_t size, FtpClock::time_point deadline,
                          FtpFault::Kind onTimeout) {
    for (;;) {
        const ssize_t n = ::recv(fd_, buffer, size, 0);
        if (n >= 0)
            return size_t(n);
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            throw FtpFault{FtpFault::Kind::Closed, systemText(errno)};
        if (!wait(POLLIN, deadline))
            throw FtpFault{onTimeout, {}};
    }
}

bool FtpSocket::peerHasClosed() const {
    char byte = 0;
    const ssize_t n = ::recv(fd_, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    return n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
}

int FtpSocket::resetError() const {
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
        return errno;
    return error;
}

bool FtpSocket::wasReset() const {
    if (resetError() == ECONNRESET)
        return true;
    char byte = 0;
    return ::recv(fd_, &byte, 1, MSG_PEEK | MSG_DONTWAIT) < 0 && errno == ECONNRESET;
}

void FtpSocket::acknowledgeAtOnce() {
    const int on = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
}

void FtpSocket::shutdownSending() {
    ::shutdown(fd_, SHUT_WR);
}

FtpSocket::Address FtpSocket::localAddress() const {
    Address a;
    a.length = sizeof a.storage;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a.storage), &a.length);
    return a;
}

FtpSocket::Address FtpSocket::peerAddress() const {
    Address a;
    a.length = sizeof a.storage;
    ::getpeername(fd_, reinterpret_cast<sockaddr*>(&a.storage), &a.length);
    return a;
}

} // namespace publish
