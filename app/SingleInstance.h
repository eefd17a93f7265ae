#pragma once
// One running program per user. The first instance holds a lock file
// "Quorvel200OnlyOne" in the user's runtime folder for its whole life and
// listens on a local socket beside it; a later start finds the lock taken,
// asks the first instance over the socket to raise its window (and, when
// it was started with a file, to show that file), and ends.

#include <QLockFile>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QLocalServer;

namespace q64 {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // `folder` holds the lock and the socket: the user's runtime folder by default.
    explicit SingleInstance(const QString& folder = QString(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock. True for the first instance, which then listens for
    // raise requests; false when another instance holds it. A lock that
    // cannot be created at all counts as first.
    bool TryBecomeFirst();
    // A later instance: asks the first to raise its window (handing over the
    // launcher's activation `token`, when there is one) and, when `file` is
    // given (an absolute path), to show it selected. False when no first
    // instance answered.
    bool AskFirstToRaise(int timeoutMs = 1000, const QString& file = QString(), const QByteArray& token = {});

    QString LockPath() const { return lockPath_; }
    QString SocketPath() const { return socketPath_; }

signals:
    // Emitted while a request is read: a receiver that shows a dialog
    // should be connected with Qt::QueuedConnection.
    // `token`: the activation token of the later start (empty: none).
    void raiseRequested(const QByteArray& token);
    void openRequested(const QString& file);

protected:
    // A request read before anything listened (the splash is shown before
    // the window exists) reaches the first receiver, once connected.
    void connectNotify(const QMetaMethod& signal) override;

private:
    void OnConnection();

    QString lockPath_;
    QString socketPath_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
    std::optional<QByteArray> heldRaise_; // a raise read while nothing listened, with its token
    QStringList heldFiles_;               // files handed over while nothing listened
};

} // namespace q64
