#pragma once

// A real FTP server (pyftpdlib) on 127.0.0.1 and a free port, with a home folder of its own
// and a record of every command it received.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <sys/types.h>

#include <chrono>
#include <csignal>
#include <optional>
#include <thread>
#include <utility>

namespace ftptest {

struct ServerOptions {
    QString user = QStringLiteral("u");
    QString password = QStringLiteral("p");
    int readLimit = 0;  // bytes per second for uploads; 0: unlimited
    QStringList locked; // folders below the home folder where writing is refused
    QString host = QStringLiteral("127.0.0.1"); // the address it listens on
    double idleTimeout = 0; // seconds after which an idle session gets "421" and is closed
};

class FtpTestServer {
public:
    explicit FtpTestServer(ServerOptions options = {}) : options_(std::move(options)) {
        QDir().mkpath(root());
        QStringList args{QStringLiteral(FZ_SOURCE_DIR "/tests/publish/ftp/ftp_server.py"),
                         QStringLiteral("--root"),
                         root(),
                         QStringLiteral("--log"),
                         logPath(),
                         QStringLiteral("--user"),
                         options_.user,
                         QStringLiteral("--password"),
                         options_.password,
                         QStringLiteral("--host"),
                         options_.host};
        if (options_.readLimit > 0)
            args << QStringLiteral("--read-limit") << QString::number(options_.readLimit);
        if (options_.idleTimeout > 0)
            args << QStringLiteral("--idle-timeout") << QString::number(options_.idleTimeout);
        for (const QString& folder : options_.locked)
            args << QStringLiteral("--locked") << folder;
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        process_.setStandardErrorFile(QProcess::nullDevice());
        process_.start(QStringLiteral("/usr/bin/python3"), args);
        if (process_.waitForStarted(10000)) {
            for (int i = 0; i < 200 && !process_.canReadLine(); ++i)
                process_.waitForReadyRead(50);
            port_ = static_cast<quint16>(process_.readLine().trimmed().toUInt());
            pid_ = process_.processId();
        }
    }
    ~FtpTestServer() { stop(); }

    bool running() const { return port_ != 0 && process_.state() == QProcess::Running; }
    quint16 port() const { return port_; }
    qint64 pid() const { return pid_; }
    QString root() const { return dir_.path() + QStringLiteral("/home"); }
    QString logPath() const { return dir_.path() + QStringLiteral("/commands.log"); }

    // The server goes away at once, as a crashed or unplugged one would.
    void stop() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }

    // The same from another thread (QProcess is not thread-safe; a signal is).
    void killFromAnyThread() { ::kill(static_cast<pid_t>(pid_), SIGKILL); }

    // Every command received so far ("CMD arg").
    QStringList commands() const {
        QFile f(logPath());
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }
    // The commands whose verb is one of `verbs`, in order.
    QStringList commands(const QStringList& verbs) const {
        QStringList kept;
        for (const QString& line : commands()) {
            if (verbs.contains(line.section(u' ', 0, 0)))
                kept << line;
        }
        return kept;
    }
    // Waits until a command with this verb has arrived `count` times; false on timeout.
    bool waitFor(const QString& verb, int count, int timeoutMs = 10000) const {
        for (int waited = 0; waited < timeoutMs; waited += 20) {
            if (commands({verb}).size() >= count)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

private:
    ServerOptions options_;
    QTemporaryDir dir_;
    QProcess process_;
    quint16 port_ = 0;
    qint64 pid_ = 0;
};

// The misbehaving server of hostile_ftp_server.py, running one case, with its record.
class HostileServer {
public:
    explicit HostileServer(const QString& name) {
        process_.setStandardErrorFile(QProcess::nullDevice());
        process_.start(QStringLiteral("/usr/bin/python3"),
                       {QStringLiteral(FZ_SOURCE_DIR "/tests/publish/ftp/hostile_ftp_server.py"),
                        name, dir_.filePath(QStringLiteral("record.log"))});
        if (process_.waitForStarted(10000)) {
            for (int i = 0; i < 200 && !process_.canReadLine(); ++i)
                process_.waitForReadyRead(50);
            port_ = static_cast<quint16>(process_.readLine().trimmed().toUInt());
        }
    }
    ~HostileServer() {
        process_.kill();
        process_.waitForFinished(5000);
    }
    quint16 port() const { return port_; }
    QStringList record() const {
        QFile f(dir_.filePath(QStringLiteral("record.log")));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }

private:
    QTemporaryDir dir_;
    QProcess process_;
    quint16 port_ = 0;
};

// Files below `root` as relative path -> bytes.
inline QMap<QString, QByteArray> treeContents(const QString& root) {
    QMap<QString, QByteArray> files;
    QStringList pending{QString()};
    while (!pending.isEmpty()) {
        const QString rel = pending.takeFirst();
        const QDir dir(root + u'/' + rel);
        for (const QFileInfo& info :
             dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden)) {
            const QString path = rel.isEmpty() ? info.fileName() : rel + u'/' + info.fileName();
            if (info.isDir()) {
                pending << path;
            } else {
                QFile f(info.filePath());
                f.open(QIODevice::ReadOnly);
                files.insert(path, f.readAll());
            }
        }
    }
    return files;
}

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
}

// Bytes that differ from file to file and from any text encoding.
inline QByteArray sampleBytes(int size, int seed) {
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 x = 2166136261u ^ static_cast<quint32>(seed);
    for (int i = 0; i < size; ++i) {
        x = x * 1664525u + 1013904223u;
        bytes[i] = static_cast<char>(x >> 24);
    }
    return bytes;
}

// A small published album: the page, the player data and pictures one level deeper, with
// CR LF pairs and lone LFs inside (a text-mode transfer would change them).
inline void makePublishedAlbum(const QString& folder) {
    writeFile(folder + QStringLiteral("/photogallery.htm"), "<html>\r\n\n</html>\r\n");
    writeFile(folder + QStringLiteral("/pictavo/data.xml"), "<album>\r\n</album>\n");
    writeFile(folder + QStringLiteral("/pictavo/pictavo_images/a.jpg"), sampleBytes(70000, 1));
}

// Whether this process runs in the private namespace of runInPrivateNetwork().
inline bool inPrivateNetwork() {
    return !qEnvironmentVariableIsEmpty("FZ_FTP_TEST_IN_NAMESPACE");
}

// Runs this executable again with `arguments` in a private network and mount namespace with
// the tunnel t0 that nobody reads (10.9.9.2/24, 2001:db9::2/64), a loopback, and `hosts` and
// `resolver` (the text of /etc/resolv.conf, when given) in place. The exit code and output,
// or nothing where no such namespace can be made.
inline std::optional<std::pair<int, QByteArray>>
runInPrivateNetwork(const QStringList& arguments, const QByteArray& hosts,
                    const QByteArray& resolver = {}) {
    QTemporaryDir dir;
    writeFile(dir.filePath("hosts"), hosts);
    writeFile(dir.filePath("resolv.conf"), resolver);
    QString setUp =
        QStringLiteral(
            "ip link set lo up && ip tuntap add dev t0 mode tun && ip link set t0 up && "
            "ip addr add 10.9.9.2/24 dev t0 && ip -6 addr add 2001:db9::2/64 dev t0 nodad && "
            "mount --bind '%1' /etc/hosts")
            .arg(dir.filePath("hosts"));
    if (!resolver.isEmpty())
        setUp += QStringLiteral(" && mount --bind '%1' /etc/resolv.conf")
                     .arg(dir.filePath("resolv.conf"));
    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("FZ_FTP_TEST_IN_NAMESPACE"), "1");
    run.setProcessEnvironment(env);
    run.setProcessChannelMode(QProcess::MergedChannels);
    run.start("unshare", QStringList{"-rnm", "sh", "-c", setUp + " || exit 77; exec \"$0\" \"$@\"",
                                     QFile::symLinkTarget("/proc/self/exe")} +
                             arguments);
    if (!run.waitForFinished(120000) || run.exitStatus() != QProcess::NormalExit)
        return std::pair(-1, QByteArray("the run in the namespace did not end"));
    const QByteArray output = run.readAll();
    if (run.exitCode() == 77 || output.contains("unshare: "))
        return std::nullopt;
    return std::pair(run.exitCode(), output);
}

} // namespace ftptest
