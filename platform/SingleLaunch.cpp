#include "platform/SingleLaunch.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace {

constexpr int kConnectTimeoutMs = 250;
constexpr int kWriteTimeoutMs = 1000;
constexpr int kRetryPauseMs = 50;
constexpr qsizetype kNameHashChars = 16;
const QByteArray kActivateRequest = "activate\n";

QString FileNameFor(const QString& key) {
    QString name = key;
    for (QChar& c : name) {
        if (!c.isLetterOrNumber() && c != QLatin1Char('.') && c != QLatin1Char('-'))
            c = QLatin1Char('_');
    }
    return name;
}

} // namespace

QString RuntimeFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder;
}

SingleLaunch::SingleLaunch(const QString& key, const QString& lockFolder)
    : lockPath_(QDir(lockFolder).filePath(FileNameFor(key) + QStringLiteral(".lock"))),
      lock_(lockPath_) {
    // Abstract socket names are shared by the whole machine: the lock's path, which is
    // per user (and per test), keeps unrelated sessions apart. The socket vanishes with its
    // process, so a killed copy leaves none behind.
    const QByteArray hash =
        QCryptographicHash::hash(lockPath_.toUtf8(), QCryptographicHash::Sha1).toHex();
    serverName_ =
        FileNameFor(key) + QLatin1Char('-') + QString::fromLatin1(hash.left(kNameHashChars));
    // Only a dead holder makes the lock stale, however long a game lasts.
    lock_.setStaleLockTime(0);
    server_.setSocketOptions(QLocalServer::AbstractNamespaceOption);
}

SingleLaunch::~SingleLaunch() {
    server_.close();
    if (lock_.isLocked())
        lock_.unlock();
}

SingleLaunch::Outcome SingleLaunch::Claim(int patienceMs) {
    QDeadlineTimer deadline(patienceMs);
    for (;;) {
        if (lock_.tryLock(0)) {
            Listen();
            return Outcome::First;
        }
        if (AskRunningCopy())
            return Outcome::Forwarded;
        if (deadline.hasExpired()) {
            // A lock file nobody holds open (its writer died before filling it in, say)
            // looks alive to the checks above; the advisory lock on it tells the truth.
            if (lock_.removeStaleLockFile() && lock_.tryLock(0)) {
                Listen();
                return Outcome::First;
            }
            return Outcome::NoAnswer;
        }
        QThread::msleep(kRetryPauseMs);
    }
}

bool SingleLaunch::AskRunningCopy() const {
    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(serverName_);
    if (!socket.waitForConnected(kConnectTimeoutMs))
        return false;
    socket.write(kActivateRequest);
    const bool sent = socket.waitForBytesWritten(kWriteTimeoutMs);
    socket.disconnectFromServer();
    return sent;
}

void SingleLaunch::Listen() {
    QObject::connect(&server_, &QLocalServer::newConnection, &server_, [this] {
        while (QLocalSocket* peer = server_.nextPendingConnection()) {
            auto answer = [this, peer] {
                if (peer->readAll().contains(kActivateRequest.trimmed()) && onActivate)
                    onActivate();
            };
            QObject::connect(peer, &QLocalSocket::readyRead, peer, answer);
            QObject::connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
            if (peer->bytesAvailable() > 0)
                answer();
        }
    });
    server_.listen(serverName_);
}
