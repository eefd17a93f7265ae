#include "app/SingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMetaMethod>
#include <QPointer>
#include <QStandardPaths>
#include <memory>
#include <utility>

namespace q64 {

namespace {
// One request per line: optionally "token" TAB activation token, then
// "raise", then optionally "open" TAB path (UTF-8).
const QByteArray kRaise = QByteArrayLiteral("raise\n");
const QByteArray kOpen = QByteArrayLiteral("open\t");
const QByteArray kToken = QByteArrayLiteral("token\t");
} // namespace

SingleInstance::SingleInstance(const QString& folder, QObject* parent) : QObject(parent) {
    QString dir = folder;
    if (dir.isEmpty()) dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty()) dir = QDir::tempPath();
    QDir().mkpath(dir);
    lockPath_ = QDir(dir).filePath(QStringLiteral("Quorvel200OnlyOne.lock"));
    socketPath_ = QDir(dir).filePath(QStringLiteral("Quorvel200OnlyOne.socket"));
}

SingleInstance::~SingleInstance() {
    if (server_) server_->close();
}

bool SingleInstance::TryBecomeFirst() {
    lock_ = std::make_unique<QLockFile>(lockPath_);
    lock_->setStaleLockTime(0); // a lock left by a crashed instance is stale once its process is gone
    if (!lock_->tryLock(0)) {
        if (lock_->error() == QLockFile::LockFailedError) return false;
        // The lock cannot be created at all: behave as the first instance.
    }
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(socketPath_); // left behind by an instance that ended abnormally
    if (server_->listen(socketPath_))
        connect(server_, &QLocalServer::newConnection, this, &SingleInstance::OnConnection);
    return true;
}

bool SingleInstance::AskFirstToRaise(int timeoutMs, const QString& file, const QByteArray& token) {
    QLocalSocket socket;
    socket.connectToServer(socketPath_);
    if (!socket.waitForConnected(timeoutMs)) return false;
    QByteArray request;
    if (!token.isEmpty() && !token.contains('\n')) request += kToken + token + '\n';
    request += kRaise;
    if (!file.isEmpty() && !file.contains(QLatin1Char('\n'))) request += kOpen + file.toUtf8() + '\n';
    socket.write(request);
    const bool sent = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(timeoutMs);
    return sent;
}

void SingleInstance::OnConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto token = std::make_shared<QByteArray>();
        connect(socket, &QLocalSocket::readyRead, this, [this, socket = QPointer<QLocalSocket>(socket), token] {
            // A request may arrive in pieces: act on whole lines only. A
            // receiver may run an event loop in which the socket goes away.
            while (socket && socket->canReadLine()) {
                const QByteArray line = socket->readLine().chopped(1);
                if (line.startsWith(kToken))
                    *token = line.mid(kToken.size());
                else if (line == kRaise.chopped(1)) {
                    if (isSignalConnected(QMetaMethod::fromSignal(&SingleInstance::raiseRequested)))
                        emit raiseRequested(*token);
                    else
                        heldRaise_ = *token;
                } else if (line.startsWith(kOpen)) {
                    const QString file = QString::fromUtf8(line.mid(kOpen.size()));
                    if (isSignalConnected(QMetaMethod::fromSignal(&SingleInstance::openRequested)))
                        emit openRequested(file);
                    else
                        heldFiles_ << file;
                }
            }
        });
        if (socket->bytesAvailable() > 0) emit socket->readyRead();
    }
}

void SingleInstance::connectNotify(const QMetaMethod& signal) {
    // Delivered after the connection is complete, from the event loop.
    if (signal == QMetaMethod::fromSignal(&SingleInstance::raiseRequested) && heldRaise_) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!heldRaise_) return;
                const QByteArray token = *heldRaise_;
                heldRaise_.reset();
                emit raiseRequested(token);
            },
            Qt::QueuedConnection);
    }
    if (signal == QMetaMethod::fromSignal(&SingleInstance::openRequested) && !heldFiles_.isEmpty()) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                const QStringList files = std::exchange(heldFiles_, {});
                for (const QString& file : files) emit openRequested(file);
            },
            Qt::QueuedConnection);
    }
}

} // namespace q64
