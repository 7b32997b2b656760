#include "WindowStart.h"

#include <QByteArray>
#include <QList>

#include <cstdio>
#include <cstdlib>

namespace kumiro {

namespace {

// The platforms Qt is asked for, in the order it tries them ("wayland;xcb"), without their
// options ("offscreen:fontengine=freetype").
QStringList platformsAskedFor(const QStringList& arguments)
{
    QString platforms = qEnvironmentVariable("QT_QPA_PLATFORM");
    for (int i = 0; i + 1 < arguments.size(); ++i) {
        if (arguments[i] == u"-platform" || arguments[i] == u"--platform")
            platforms = arguments[i + 1];
    }
    QStringList names;
    for (const QString& part : platforms.split(u';', Qt::SkipEmptyParts))
        names << part.section(u':', 0, 0).trimmed();
    return names;
}

struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};

bool guardJapanese = false;
QtMessageHandler previousHandler = nullptr;
QList<HeldMessage>& held()
{
    static QList<HeldMessage> messages;
    return messages;
}

void guardHandler(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type != QtFatalMsg) {
        held().append({type, QByteArray(context.category), text});
        return;
    }
    // Qt gives up on the window system only when it could not reach it (or has no plugin
    // for it, which the package's dependencies rule out).
    const QString display = qEnvironmentVariable("DISPLAY");
    QString reason;
    if (!display.isEmpty())
        reason = guardJapanese ? QStringLiteral("ディスプレイ %1 に接続できません").arg(display)
                               : QStringLiteral("cannot connect to the display %1").arg(display);
    else
        reason = guardJapanese ? QStringLiteral("ウィンドウ システムを開始できません")
                               : QStringLiteral("the window system could not be started");
    sayWindowCannotOpen(reason, guardJapanese);
    // Qt is half made: nothing of it may run its destructors.
    std::_Exit(1);
}

} // namespace

QString missingDisplay(const QStringList& arguments, bool japanese)
{
    // Any platform but X may have its own ways (offscreen, minimal and vnc need no display;
    // wayland has a default socket): only a window that can be nothing but X is judged here.
    const QStringList platforms = platformsAskedFor(arguments);
    for (const QString& platform : platforms) {
        if (platform != u"xcb")
            return QString();
    }
    if (!qEnvironmentVariableIsEmpty("DISPLAY") ||
        (platforms.isEmpty() && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")))
        return QString();
    return japanese ? QStringLiteral("ディスプレイがありません (DISPLAY が設定されていません)")
                    : QStringLiteral("no display (DISPLAY is not set)");
}

WindowStartGuard::WindowStartGuard(bool japanese)
{
    guardJapanese = japanese;
    previousHandler = qInstallMessageHandler(guardHandler);
}

WindowStartGuard::~WindowStartGuard()
{
    qInstallMessageHandler(previousHandler);
    for (const HeldMessage& m : held())
        qt_message_output(m.type, QMessageLogContext(nullptr, 0, nullptr, m.category.constData()), m.text);
    held().clear();
}

void sayWindowCannotOpen(const QString& reason, bool japanese)
{
    const QString line = japanese ? QStringLiteral("kumiro: ウィンドウを開けません: %1").arg(reason)
                                  : QStringLiteral("kumiro: cannot open the window: %1").arg(reason);
    std::fprintf(stderr, "%s\n", line.toUtf8().constData());
    std::fflush(stderr);
}

} // namespace kumiro
