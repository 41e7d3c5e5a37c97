// One running copy per program and user: the first start holds a lock file in a folder only
// its user can enter and listens on a local socket beside it; a later start finds the lock
// taken, asks the running copy to come forward and gives up. A lock left by a killed copy is
// stale at once.
#pragma once

#include <QByteArray>
#include <QLockFile>
#include <QString>

#include <functional>
#include <map>
#include <memory>

class QSocketNotifier;

class SingleLaunch {
public:
    // key names the program (its signature); the lock and the socket live in lockFolder.
    SingleLaunch(const QString& key, const QString& lockFolder);
    ~SingleLaunch();
    SingleLaunch(const SingleLaunch&) = delete;
    SingleLaunch& operator=(const SingleLaunch&) = delete;

    enum class Outcome {
        First,     // this process runs; requests reach onActivate
        Forwarded, // another copy runs and was asked to come forward
        NoAnswer,  // another copy holds the lock but never answered
        Unusable,  // the folder is not private, or the lock or socket cannot be made there
    };
    // The copy holding the lock may still be starting up, so a refused connection is retried
    // for up to patienceMs.
    Outcome Claim(int patienceMs);

    // Called on the GUI thread for each request from a later start.
    std::function<void()> onActivate;

    QString LockPath() const { return lockPath_; }
    QString ServerName() const { return serverName_; }

private:
    bool AskRunningCopy() const;
    bool Listen();
    void Accept();
    void Read(QSocketNotifier* peer);
    void Drop(QSocketNotifier* peer);

    QString folder_;
    QString lockPath_;
    QString serverName_;
    QLockFile lock_;
    int listener_ = -1;
    std::unique_ptr<QSocketNotifier> incoming_;
    // Open connections, never more than a handful, with what each has said so far.
    std::map<QSocketNotifier*, QByteArray> peers_;
};

// Claims single launch in the session's runtime folder or, when that cannot be used, in a
// folder of the player's own under the cache folder (made if missing). Null when neither can
// be used: the program then runs on its own rather than trust a shared place.
std::unique_ptr<SingleLaunch> ClaimSingleLaunch(const QString& key, int patienceMs,
                                                SingleLaunch::Outcome* outcome);
