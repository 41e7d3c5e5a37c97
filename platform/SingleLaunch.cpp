#include "platform/SingleLaunch.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr int kConnectTimeoutMs = 250;
constexpr int kWriteTimeoutMs = 1000;
constexpr int kRetryPauseMs = 50;
// Out of descriptors, say: the listener is rested this long rather than polled in a spin.
constexpr int kAcceptPauseMs = 100;
constexpr int kListenQueue = 50;
// A later start says its one line at once; a connection still silent after this is dropped.
constexpr int kPeerTimeoutMs = 1000;
// Beyond these, connections wait in the kernel's queue at no descriptor.
constexpr size_t kMaxPeers = 4;
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

bool AddressOf(const QString& path, sockaddr_un& address) {
    const QByteArray name = QFile::encodeName(path);
    address = {};
    address.sun_family = AF_UNIX;
    if (name.isEmpty() || static_cast<size_t>(name.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, name.constData(), static_cast<size_t>(name.size()));
    return true;
}

void SetSendTimeout(int fd, int ms) {
    const timeval wait{ms / 1000, (ms % 1000) * 1000};
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
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
    const auto peers = std::exchange(peers_, {});
    for (const auto& [peer, said] : peers) {
        close(static_cast<int>(peer->socket()));
        delete peer;
    }
    if (listener_ >= 0) {
        incoming_.reset();
        close(listener_);
        unlink(QFile::encodeName(serverName_).constData());
    }
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
    sockaddr_un address{};
    if (!AddressOf(serverName_, address))
        return false;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    // A connection waits this long while the running copy's queue is full.
    SetSendTimeout(fd, kConnectTimeoutMs);
    bool sent = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (sent) {
        SetSendTimeout(fd, kWriteTimeoutMs);
        const auto size = static_cast<size_t>(kActivateRequest.size());
        sent = send(fd, kActivateRequest.constData(), size, MSG_NOSIGNAL) ==
               static_cast<ssize_t>(size);
    }
    close(fd);
    return sent;
}

bool SingleLaunch::Listen() {
    sockaddr_un address{};
    if (AddressOf(serverName_, address)) {
        // Only the lock's holder gets here, so a socket left by a killed copy is ours to
        // replace.
        unlink(address.sun_path);
        listener_ = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (listener_ >= 0 &&
            bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
            listen(listener_, kListenQueue) == 0) {
            incoming_ = std::make_unique<QSocketNotifier>(listener_, QSocketNotifier::Read);
            QObject::connect(incoming_.get(), &QSocketNotifier::activated, incoming_.get(),
                             [this] { Accept(); });
            return true;
        }
        if (listener_ >= 0)
            close(listener_);
        listener_ = -1;
    }
    // Unreachable, this copy would leave every later start waiting for an answer.
    lock_.unlock();
    return false;
}

void SingleLaunch::Accept() {
    while (peers_.size() < kMaxPeers) {
        const int fd = accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                incoming_->setEnabled(false);
                QTimer::singleShot(kAcceptPauseMs, incoming_.get(),
                                   [this] { incoming_->setEnabled(peers_.size() < kMaxPeers); });
            }
            return;
        }
        auto* peer = new QSocketNotifier(fd, QSocketNotifier::Read);
        peers_.emplace(peer, QByteArray());
        QObject::connect(peer, &QSocketNotifier::activated, peer, [this, peer] { Read(peer); });
        QTimer::singleShot(kPeerTimeoutMs, peer, [this, peer] { Drop(peer); });
    }
    // Full: later connections wait in the kernel's queue until a slot is free.
    incoming_->setEnabled(false);
}

void SingleLaunch::Read(QSocketNotifier* peer) {
    const auto it = peers_.find(peer);
    if (it == peers_.end())
        return;
    QByteArray& said = it->second;
    char buf[16];
    const auto wanted = static_cast<size_t>(kActivateRequest.size() - said.size());
    const ssize_t n = recv(static_cast<int>(peer->socket()), buf, wanted, 0);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        return;
    if (n > 0) {
        said.append(buf, n);
        if (said.size() < kActivateRequest.size() && !said.endsWith('\n'))
            return;
    }
    const bool activate = said == kActivateRequest;
    Drop(peer);
    if (activate && onActivate)
        onActivate();
}

void SingleLaunch::Drop(QSocketNotifier* peer) {
    if (peers_.erase(peer) == 0)
        return;
    peer->setEnabled(false);
    close(static_cast<int>(peer->socket()));
    peer->deleteLater();
    // A slot is free: take the next waiting connection, if any.
    if (incoming_ != nullptr)
        incoming_->setEnabled(true);
}
