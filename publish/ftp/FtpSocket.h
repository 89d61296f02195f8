#pragma once

#include "publish/ftp/FtpFault.h"

#include <QtGlobal>

#include <chrono>
#include <memory>
#include <vector>

#include <sys/socket.h>

namespace publish {

class FtpAbortSwitch;

using FtpClock = std::chrono::steady_clock;

// One non-blocking TCP socket of an FTP session, closed with its owner. Every wait ends at a
// deadline or when the session's abort switch shuts the socket down; failures are thrown as
// FtpFault.
class FtpSocket {
public:
    struct Address {
        sockaddr_storage storage{};
        socklen_t length = 0;
        quint16 port() const;
        void setPort(quint16 port);
        bool isIPv6() const { return storage.ss_family == AF_INET6; }
        // The numeric host, as EPRT and PORT write it.
        QString host() const;
    };

    FtpSocket() = default;
    FtpSocket(int fd, std::shared_ptr<FtpAbortSwitch> abort);
    FtpSocket(FtpSocket&& other) noexcept;
    FtpSocket& operator=(FtpSocket&& other) noexcept;
    FtpSocket(const FtpSocket&) = delete;
    FtpSocket& operator=(const FtpSocket&) = delete;
    ~FtpSocket();

    // The addresses of `host`, looked up on a helper thread so that the deadline and the
    // abort switch hold while the resolver takes its time.
    static std::vector<Address> resolve(const QString& host, quint16 port,
                                        const std::shared_ptr<FtpAbortSwitch>& abort,
                                        FtpClock::time_point deadline);
    static FtpSocket connect(const Address& address, const std::shared_ptr<FtpAbortSwitch>& abort,
                             FtpClock::time_point deadline);
    // Listens on `local` with a port the system picks.
    static FtpSocket listen(Address local, const std::shared_ptr<FtpAbortSwitch>& abort);
    // The first connection to a listening socket; Timeout when none comes by the deadline.
    FtpSocket accept(FtpClock::time_point deadline);

    bool isOpen() const { return fd_ >= 0; }
    // False when the deadline passes first.
    bool wait(short events, FtpClock::time_point deadline) const;
    // All of `size` bytes, each block within `stall` of the one before.
    void sendAll(const char* data, size_t size, std::chrono::milliseconds stall);
    // The first `count` bytes of the open file `fileFd`, read in blocks of `block`'s size and
    // sent as sendAll; returns the bytes sent, fewer when the file ends early. (sendfile() was
    // tried instead: the test server then spent about a quarter more time on the same bytes.)
    qint64 sendFile(int fileFd, qint64 count, std::vector<char>& block,
                    std::chrono::milliseconds stall);
    // At least one byte, or 0 at the end of the stream; a wait past the deadline throws
    // `onTimeout`.
    size_t receive(char* buffer, size_t size, FtpClock::time_point deadline,
                   FtpFault::Kind onTimeout);
    // The peer's end of the stream or a reset already waiting, looked at without waiting.
    bool peerHasClosed() const;
    // The error a reset left on the socket (0: none), looked at without waiting.
    int resetError() const;
    // Whether the peer reset the connection, dropping bytes it never read; looked at without
    // waiting.
    bool wasReset() const;
    void shutdownSending();
    // Acknowledges what arrives at once instead of after the system's short delay. Not lasting:
    // set again before each read.
    void acknowledgeAtOnce();
    Address localAddress() const;
    Address peerAddress() const;
    void close();

private:
    void throwIfAborted() const;

    int fd_ = -1;
    std::shared_ptr<FtpAbortSwitch> abort_;
};

} // namespace publish
