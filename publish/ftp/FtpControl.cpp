#include "publish/ftp/FtpControl.h"

#include <cctype>

namespace publish {

namespace {

bool startsWithCode(const std::string& line) {
    return line.size() >= 3 && std::isdigit(static_cast<unsigned char>(line[0])) &&
           std::isdigit(static_cast<unsigned char>(line[1])) &&
           std::isdigit(static_cast<unsigned char>(line[2]));
}

} // namespace

void FtpControl::send(const std::string& line, std::chrono::milliseconds stall) {
    const std::string text = line + "\r\n";
    socket_.sendAll(text.data(), text.size(), stall);
}

std::string FtpControl::nextLine(FtpClock::time_point deadline, bool replyBegun) {
    for (;;) {
        const size_t end = buffer_.find('\n');
        if (end != std::string::npos) {
            std::string line = buffer_.substr(0, end);
            buffer_.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            return line;
        }
        if (buffer_.size() > MaxLineBytes)
            throw FtpFault{FtpFault::Kind::TooLong,
                           QStringLiteral("a line of more than %1 bytes").arg(MaxLineBytes)};
        char chunk[4096];
        size_t n = 0;
        // Replies to commands sent together come as separate segments, and a server that
        // holds back a segment until the one before is acknowledged would otherwise wait for
        // the delayed acknowledgement of each (40 ms here).
        socket_.acknowledgeAtOnce();
        try {
            n = socket_.receive(chunk, sizeof chunk, deadline, FtpFault::Kind::Timeout);
        } catch (const FtpFault& fault) {
            if (fault.kind != FtpFault::Kind::Closed || replyBegun || !buffer_.empty())
                throw;
            throw FtpFault{FtpFault::Kind::Lost, fault.detail};
        }
        if (n == 0)
            throw FtpFault{
                replyBegun || !buffer_.empty() ? FtpFault::Kind::Closed : FtpFault::Kind::Lost, {}};
        buffer_.append(chunk, n);
    }
}

FtpControl::Reply FtpControl::read(FtpClock::time_point deadline) {
    Reply reply;
    std::string line = nextLine(deadline, false);
    if (!startsWithCode(line))
        throw FtpFault{FtpFault::Kind::BadReply, QString::fromUtf8(line.substr(0, MaxKeptBytes))};
    size_t total = line.size();
    // "123-" opens a reply that the first line starting "123 " ends.
    if (line.size() > 3 && line[3] == '-') {
        const std::string end = line.substr(0, 3) + ' ';
        do {
            line = nextLine(deadline, true);
            total += line.size() + 2;
            if (total > MaxReplyBytes)
                throw FtpFault{FtpFault::Kind::TooLong,
                               QStringLiteral("more than %1 KiB").arg(MaxReplyBytes / 1024)};
        } while (line.compare(0, 4, end) != 0);
    }
    reply.code = std::stoi(line.substr(0, 3));
    reply.line = line.substr(0, MaxKeptBytes);
    return reply;
}

} // namespace publish
