#include "publish/ftp/FtpControl.h"
#include "publish/ftp/FtpAbortSwitch.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <thread>

using publish::FtpAbortSwitch;
using publish::FtpClock;
using publish::FtpControl;
using publish::FtpFault;
using publish::FtpSocket;

namespace {

// A control connection whose server end is a socket of the test's own.
struct Pair {
    std::shared_ptr<FtpAbortSwitch> abort = std::make_shared<FtpAbortSwitch>();
    FtpControl control;
    int server = -1;
    Pair() {
        int fds[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds) == 0) {
            control = FtpControl(FtpSocket(fds[0], abort));
            server = fds[1];
        }
    }
    ~Pair() { ::close(server); }
    void write(const std::string& bytes) const {
        for (size_t done = 0; done < bytes.size();) {
            const ssize_t n =
                ::send(server, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (n > 0)
                done += size_t(n);
            else if (errno == EAGAIN)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            else
                return; // the client end has gone
        }
    }
};

FtpClock::time_point soon() {
    return FtpClock::now() + std::chrono::milliseconds(300);
}

} // namespace

TEST(FtpControl, RepliesAreReadWholeAndNoServerCanMakeThemEndless) {
    const std::string hugeLine(FtpControl::MaxLineBytes + 10, 'x');
    std::string endless = "220-";
    while (endless.size() < FtpControl::MaxReplyBytes + 100)
        endless += "220-more of the welcome\r\n";
    struct Case {
        const char* title;
        std::string sent;
        bool close;
        std::vector<std::string> lines; // the final lines of the replies read in turn
        std::optional<FtpFault::Kind> fault;
    } const cases[] = {
        {"one line", "220 ready\r\n", false, {"220 ready"}, {}},
        {"a bare line feed", "200 ok\n", false, {"200 ok"}, {}},
        {"several lines",
         "230-Welcome\r\n230-more\r\n 230 indented, not the end\r\n211 nor this\r\n230 in\r\n",
         false,
         {"230 in"},
         {}},
        {"two replies in one segment",
         "213 5000\r\n229 Extended (|||40000|)\r\n",
         false,
         {"213 5000", "229 Extended (|||40000|)"},
         {}},
        {"a code alone", "226\r\n", false, {"226"}, {}},
        {"no code", "hello\r\n", false, {}, FtpFault::Kind::BadReply},
        {"a line without end", hugeLine, false, {}, FtpFault::Kind::TooLong},
        {"continuation without end", endless, false, {}, FtpFault::Kind::TooLong},
        {"closed inside a reply", "220-Welcome\r\n", true, {}, FtpFault::Kind::Closed},
        {"closed inside a line", "220 wel", true, {}, FtpFault::Kind::Closed},
        {"closed before any reply", "", true, {}, FtpFault::Kind::Lost},
        {"silent", "", false, {}, FtpFault::Kind::Timeout},
        {"silent after a reply", "200 ok\r\n", false, {"200 ok"}, FtpFault::Kind::Timeout},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        Pair pair;
        ASSERT_GE(pair.server, 0);
        std::thread writer([&] {
            pair.write(c.sent);
            if (c.close)
                ::shutdown(pair.server, SHUT_WR);
        });
        std::vector<std::string> lines;
        std::optional<FtpFault::Kind> fault;
        try {
            for (size_t i = 0; i < c.lines.size() + (c.fault ? 1 : 0); ++i) {
                const FtpControl::Reply reply = pair.control.read(soon());
                EXPECT_EQ(reply.code, std::stoi(reply.line.substr(0, 3)));
                lines.push_back(reply.line);
            }
        } catch (const FtpFault& f) {
            fault = f.kind;
        }
        pair.control = FtpControl(); // a writer still sending stops
        writer.join();
        EXPECT_EQ(lines, c.lines);
        EXPECT_EQ(fault, c.fault);
    }
}

TEST(FtpControl, AKeptLineIsCappedAndAGoneServerIsSeenBeforeSpeaking) {
    Pair pair;
    pair.write("550 " + std::string(5000, 'n') + "\r\n");
    EXPECT_EQ(pair.control.read(soon()).line.size(), FtpControl::MaxKeptBytes);
    EXPECT_FALSE(pair.control.isGone());
    pair.control.send("NOOP", std::chrono::seconds(1));
    char received[16] = {};
    ASSERT_EQ(::recv(pair.server, received, sizeof received, 0), 6);
    EXPECT_STREQ(received, "NOOP\r\n");
    ::shutdown(pair.server, SHUT_WR);
    EXPECT_TRUE(pair.control.isGone());
}

TEST(FtpControl, TheAbortSwitchEndsAWaitAtOnce) {
    Pair pair;
    std::thread tripper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        pair.abort->trip();
    });
    const FtpClock::time_point start = FtpClock::now();
    std::optional<FtpFault::Kind> fault;
    try {
        pair.control.read(FtpClock::now() + std::chrono::seconds(20));
    } catch (const FtpFault& f) {
        fault = f.kind;
    }
    tripper.join();
    EXPECT_EQ(fault, FtpFault::Kind::Aborted);
    EXPECT_LT(FtpClock::now() - start, std::chrono::seconds(5));
}
