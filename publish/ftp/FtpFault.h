#pragma once

#include <QString>

namespace publish {

// Why a step on an FTP connection ended early, before FtpSession words it for the user. The
// socket and reply layers know what happened; only the session knows the step and its deadline.
struct FtpFault {
    enum class Kind {
        Timeout,     // no complete reply by the deadline
        Stalled,     // a data connection moved no byte for the whole timeout
        Closed,      // the server closed or reset a connection in the middle of something
        Lost,        // the control connection was gone before anything more was said
        Aborted,     // the user's abort switch
        TooLong,     // a reply past its caps
        BadReply,    // a reply that is no FTP reply
        Unreachable, // a connection that could not be made (detail: the system's words)
        Unreadable   // the local file could not be read (detail: the system's words)
    };
    Kind kind;
    QString detail;
};

} // namespace publish
