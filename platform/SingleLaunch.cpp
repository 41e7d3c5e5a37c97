#include "platform/SingleLaunch.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr int kConnectTimeoutMs = 250;
constexpr int kWriteTimeoutMs = 1000;
constexpr int kRetryPauseMs = 50;
// A later start says its one line at once; a connection still silent after this is dropped.
constexpr int kPeerTimeoutMs = 1000;
// Beyond these and the few Qt holds, connections wait in the kernel's queue at no descriptor.
constexpr qsizetype kMaxPeers = 4;
const QByteArray kActivateRequest = "activate\n";

QString FileNameFor(const QString& key) {
    QString name = key;
    for (QChar& c : name) {
        if (!c.isLetterOrNumber() && c != QLatin1Char('.') && c != QLatin1Char('-'))
            c = QLatin1Char('_');
    }
    return name;
}

QString AbsoluteFolderFromEnv(const char* name) {
    const QString folder = qEnvironmentVariable(name);
    return folder.startsWith(QLatin1Char('/')) ? folder : QString();
}

// Not Qt's runtime location: without a usable one it falls back to the shared temporary
// folder.
QString RuntimeFolder() {
    return AbsoluteFolderFromEnv("XDG_RUNTIME_DIR");
}

// <cache>/<program>, made with mode 0700 (and the cache folder too, if missing). Empty when
// it cannot be made; whether it is private is for Claim to check.
QString OwnCacheFolder() {
    QString cache = AbsoluteFolderFromEnv("XDG_CACHE_HOME");
    if (cache.isEmpty()) {
        const QString home = AbsoluteFolderFromEnv("HOME");
        if (home.isEmpty())
            return {};
        cache = home + QStringLiteral("/.cache");
    }
    const QString program = FileNameFor(QCoreApplication::applicationName().toLower());
    if (program.isEmpty())
        return {};
    const QString folder = cache + QLatin1Char('/') + program;
    for (const QString& path : {cache, folder}) {
        if (mkdir(QFile::encodeName(path).constData(), 0700) != 0 && errno != EEXIST)
            return {};
    }
    return folder;
}

// A real folder (not a link) of this user's that nobody else may enter.
bool IsPrivateFolder(const QString& folder) {
    struct stat info {};
    return lstat(QFile::encodeName(folder).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == geteuid() && (info.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

} // namespace

std::unique_ptr<SingleLaunch> ClaimSingleLaunch(const QString& key, int patienceMs,
                                                SingleLaunch::Outcome* outcome) {
    for (QString (*folder)() : {RuntimeFolder, OwnCacheFolder}) {
        const QString path = folder();
        if (path.isEmpty())
            continue;
        auto launch = std::make_unique<SingleLaunch>(key, path);
        *outcome = launch->Claim(patienceMs);
        if (*outcome != SingleLaunch::Outcome::Unusable)
            return launch;
    }
    *outcome = SingleLaunch::Outcome::Unusable;
    return nullptr;
}

SingleLaunch::SingleLaunch(const QString& key, const QString& lockFolder)
    : folder_(lockFolder),
      lockPath_(QDir(lockFolder).filePath(FileNameFor(key) + QStringLiteral(".lock"))),
      serverName_(QDir(lockFolder).filePath(FileNameFor(key) + QStringLiteral(".socket"))),
      lock_(lockPath_) {
    // Only a dead holder makes the lock stale, however long a game lasts.
    lock_.setStaleLockTime(0);
}

SingleLaunch::~SingleLaunch() {
    // Emptied first, so a connection closing as it goes finds nothing to drop.
    const QSet<QLocalSocket*> peers = std::exchange(peers_, {});
    qDeleteAll(peers);
    server_.close();
    if (lock_.isLocked())
        lock_.unlock();
}

SingleLaunch::Outcome SingleLaunch::Claim(int patienceMs) {
    // In a folder others can enter, anyone could take the lock's name first or talk to us.
    if (!IsPrivateFolder(folder_))
        return Outcome::Unusable;
    QDeadlineTimer deadline(patienceMs);
    for (;;) {
        if (lock_.tryLock(0))
            return Listen() ? Outcome::First : Outcome::Unusable;
        if (lock_.error() != QLockFile::LockFailedError)
            return Outcome::Unusable; // read-only, say: nobody can hold a lock here
        if (AskRunningCopy())
            return Outcome::Forwarded;
        if (deadline.hasExpired()) {
            // A lock file nobody holds open (its writer died before filling it in, say)
            // looks alive to the checks above; the advisory lock on it tells the truth.
            if (lock_.removeStaleLockFile() && lock_.tryLock(0))
                return Listen() ? Outcome::First : Outcome::Unusable;
            return Outcome::NoAnswer;
        }
        QThread::msleep(kRetryPauseMs);
    }
}

bool SingleLaunch::AskRunningCopy() const {
    QLocalSocket socket;
    socket.connectToServer(serverName_);
    if (!socket.waitForConnected(kConnectTimeoutMs))
        return false;
    socket.write(kActivateRequest);
    const bool sent = socket.waitForBytesWritten(kWriteTimeoutMs);
    socket.disconnectFromServer();
    return sent;
}

bool SingleLaunch::Listen() {
    // Only the lock's holder gets here, so a socket left by a killed copy is ours to replace.
    QLocalServer::removeServer(serverName_);
    // Qt then holds at most three connections not yet taken; the rest wait in the kernel.
    server_.setMaxPendingConnections(1);
    QObject::connect(&server_, &QLocalServer::newConnection, &server_, [this] { Accept(); });
    if (server_.listen(serverName_))
        return true;
    // Unreachable, this copy would leave every later start waiting for an answer.
    lock_.unlock();
    return false;
}

void SingleLaunch::Accept() {
    while (peers_.size() < kMaxPeers) {
        QLocalSocket* peer = server_.nextPendingConnection();
        if (peer == nullptr)
            return;
        peers_.insert(peer);
        QObject::connect(peer, &QLocalSocket::readyRead, peer, [this, peer] { Read(peer); });
        QObject::connect(peer, &QLocalSocket::disconnected, peer, [this, peer] { Drop(peer); });
        QTimer::singleShot(kPeerTimeoutMs, peer, [this, peer] { Drop(peer); });
        if (peer->bytesAvailable() > 0)
            Read(peer);
    }
}

void SingleLaunch::Read(QLocalSocket* peer) {
    if (!peer->canReadLine() && peer->bytesAvailable() < kActivateRequest.size())
        return;
    const bool activate = peer->read(kActivateRequest.size()) == kActivateRequest;
    Drop(peer);
    if (activate && onActivate)
        onActivate();
}

void SingleLaunch::Drop(QLocalSocket* peer) {
    if (!peers_.remove(peer))
        return;
    peer->abort();
    peer->deleteLater();
    // A slot is free: take the next waiting connection, if any.
    QTimer::singleShot(0, &server_, [this] { Accept(); });
}
