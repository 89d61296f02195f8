#pragma once

#include "publish/ftp/FtpSocket.h"

#include <QString>

#include <string>

namespace publish {

// The control connection of an FTP session: command lines out, whole replies in. A reply of
// several lines counts as one; only its final line is kept. Replies have caps, so that no
// server can make the client read for ever or hold much memory.
class FtpControl {
public:
    static constexpr size_t MaxLineBytes = 8 * 1024;
    static constexpr size_t MaxReplyBytes = 64 * 1024;
    static constexpr size_t MaxKeptBytes = 1024;

    struct Reply {
        int code = 0;
        std::string line; // the final line, at most MaxKeptBytes
        QString text() const { return QString::fromUtf8(line.data(), qsizetype(line.size())); }
    };

    FtpControl() = default;
    explicit FtpControl(FtpSocket socket) : socket_(std::move(socket)) {}

    // One line; CRLF is added. The caller has checked that it holds no line break.
    void send(const std::string& line, std::chrono::milliseconds stall);
    // The next whole reply, by `deadline`. A connection that ends before the reply begins is
    // Lost; one that ends inside it is Closed.
    Reply read(FtpClock::time_point deadline);
    // Whether the server has already closed the connection, with nothing of a reply before.
    bool isGone() const { return buffer_.empty() && socket_.peerHasClosed(); }
    FtpSocket& socket() { return socket_; }

private:
    std::string nextLine(FtpClock::time_point deadline, bool replyBegun);

    FtpSocket socket_;
    std::string buffer_;
};

} // namespace publish
