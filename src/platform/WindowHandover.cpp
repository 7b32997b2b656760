#include "WindowHandover.h"

#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QStandardPaths>

#include <unistd.h>

namespace kumiro {

namespace {

constexpr char kTaken = '1';

} // namespace

QString handoverSocketPath()
{
    // A window is the display's: another display (another session of the user's, a test's
    // own server) has a window of its own, and one on no display (offscreen) none to share.
    QString display = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (display.isEmpty())
        display = qEnvironmentVariable("DISPLAY");
    if (display.isEmpty())
        return QString();
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9._-]"));
    const QString name = QStringLiteral("kumiro-window-") + display.replace(unsafe, QStringLiteral("_"));
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return QDir(runtime).filePath(name);
    return QDir(QDir::tempPath()).filePath(name + QStringLiteral("-%1").arg(::getuid()));
}

bool handOverFiles(const QStringList& files, int timeoutMs)
{
    const QString path = handoverSocketPath();
    if (path.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    QByteArray message;
    QDataStream out(&message, QIODevice::WriteOnly);
    out << files;
    socket.write(message);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    while (socket.bytesAvailable() == 0) {
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
    }
    return socket.read(1) == QByteArray(1, kTaken);
}

WindowHandover::WindowHandover(std::function<void(const QStringList&)> received, QObject* parent)
    : QObject(parent), received_(std::move(received)), server_(new QLocalServer(this))
{
    // Only the user reaches the window.
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &WindowHandover::take);
}

bool WindowHandover::listen()
{
    const QString path = handoverSocketPath();
    if (path.isEmpty())
        return false;
    if (server_->listen(path))
        return true;
    if (server_->serverError() != QAbstractSocket::AddressInUseError)
        return false;
    // A socket left by a window that ended without removing it: nobody answers there.
    QLocalSocket probe;
    probe.connectToServer(path);
    if (probe.waitForConnected(1000))
        return false;
    QLocalServer::removeServer(path);
    return server_->listen(path);
}

void WindowHandover::take()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            QDataStream in(socket);
            in.startTransaction();
            QStringList files;
            in >> files;
            if (!in.commitTransaction())
                return; // the rest is still on its way
            socket->write(QByteArray(1, kTaken));
            socket->flush();
            received_(files);
        });
    }
}

} // namespace kumiro
