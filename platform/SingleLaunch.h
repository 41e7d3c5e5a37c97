// One running copy per program and user session: the first start holds a lock file in the
// runtime folder and listens on a local socket; a later start finds the lock taken, asks the
// running copy to come forward and gives up. A lock left by a killed copy is stale at once.
#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QString>

#include <functional>

class SingleLaunch {
public:
    // key names the program (its signature); the lock lives in lockFolder.
    SingleLaunch(const QString& key, const QString& lockFolder);
    ~SingleLaunch();
    SingleLaunch(const SingleLaunch&) = delete;
    SingleLaunch& operator=(const SingleLaunch&) = delete;

    enum class Outcome {
        First,     // this process runs; requests reach onActivate
        Forwarded, // another copy runs and was asked to come forward
        NoAnswer,  // another copy holds the lock but never answered
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
    void Listen();

    QString lockPath_;
    QString serverName_;
    QLockFile lock_;
    QLocalServer server_;
};

// The folder for the lock: the session's runtime folder, or the temporary folder without one.
QString RuntimeFolder();
