#include "Help.h"

#include "HelpWindow.h"
#include "MessageBoxes.h"

#include <QApplication>
#include <QCollator>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QRegularExpression>
#include <QTextDocumentFragment>

#include <algorithm>

namespace kumiro {

QString contextAnchor(int context)
{
    return QStringLiteral("ctx") + QString::number(context);
}

QList<HelpIndexEntry> parseHelpIndex(const QString& html)
{
    static const QRegularExpression link(QStringLiteral(R"re(<a\s+class="kw"\s+href="#([^"]+)"\s*>(.*?)</a>)re"),
                                         QRegularExpression::DotMatchesEverythingOption);
    QList<HelpIndexEntry> entries;
    for (auto it = link.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        const QString keyword = QTextDocumentFragment::fromHtml(m.captured(2)).toPlainText();
        if (!keyword.trimmed().isEmpty())
            entries.append({keyword.trimmed(), m.captured(1)});
    }
    QCollator collator(QLocale(QLocale::Japanese, QLocale::Japan));
    std::stable_sort(entries.begin(), entries.end(),
                     [&](const auto& a, const auto& b) { return collator.compare(a.keyword, b.keyword) < 0; });
    return entries;
}

static QString folded(const QString& s)
{
    // Full-width letters and half-width katakana compare like their usual forms, and
    // katakana like hiragana: a reader types "ばっく" for "バックアップ".
    QString out = s.normalized(QString::NormalizationForm_KC).toCaseFolded();
    for (QChar& c : out) {
        if ((c >= QChar(0x30A1) && c <= QChar(0x30F6)) || c == QChar(0x30FD) || c == QChar(0x30FE))
            c = QChar(c.unicode() - 0x60);
    }
    return out;
}

QList<HelpIndexEntry> filterHelpIndex(const QList<HelpIndexEntry>& entries, const QString& typed)
{
    const QString needle = folded(typed.trimmed());
    if (needle.isEmpty())
        return entries;
    QList<HelpIndexEntry> out;
    for (const auto& e : entries) {
        if (folded(e.keyword).contains(needle))
            out.append(e);
    }
    return out;
}

QString helpMissingText(const QString& helpFile)
{
    return QStringLiteral("ヘルプ ファイル 「") + helpFile +
        QStringLiteral("」 が見つかりません。　\r\rくみろ君 を入れ直してください。　");
}

QtHelpViewer::QtHelpViewer(MessageBoxes& messages) : messages_(messages) {}

HelpWindow* QtHelpViewer::window() const
{
    return window_;
}

QtHelpViewer::~QtHelpViewer()
{
    if (window_ && !window_->parentWidget())
        delete window_;
}

void QtHelpViewer::show(QWidget* parent, const QString& helpFile, HelpCommand command, int context)
{
    if (!QFileInfo(helpFile).isFile()) {
        messages_.show(parent, MsgIcon::Exclamation, kHelpMissingTitle, helpMissingText(helpFile));
        return;
    }
    // A modal dialog blocks every window but its own: help asked for from one (the picker,
    // the copy and rename dialogs) is shown as that dialog's window, so it can be used.
    QWidget* owner = QApplication::activeModalWidget();
    if (window_ && window_->parentWidget() != owner) {
        placed_ = window_->geometry();
        if (window_->parentWidget())
            window_->deleteLater();
        else
            delete window_;
        window_ = nullptr;
    }
    if (!window_) {
        window_ = new HelpWindow(owner);
        if (placed_.isValid()) {
            window_->setGeometry(placed_);
        } else {
            QWidget* asker = parent ? parent->window() : owner;
            const QScreen* screen = asker ? asker->screen() : QGuiApplication::primaryScreen();
            if (asker && asker->isVisible() && screen)
                window_->move(
                    helpWindowPlace(asker->frameGeometry(), window_->size(), screen->availableGeometry()).topLeft());
        }
    }
    window_->openFile(helpFile);
    switch (command) {
    case HelpCommand::Contents: window_->showAnchor(kContentsAnchor); break;
    case HelpCommand::Index: window_->showIndex(); break;
    case HelpCommand::Context: window_->showAnchor(contextAnchor(context)); break;
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
    placed_ = window_->geometry();
}

QRect helpWindowPlace(const QRect& asker, const QSize& size, const QRect& screen)
{
    QRect r(QPoint(), size);
    const int top = std::clamp(asker.top(), screen.top(), std::max(screen.top(), screen.bottom() - size.height()));
    if (asker.right() + 1 + size.width() <= screen.right() + 1)
        r.moveTopLeft(QPoint(asker.right() + 1, top));
    else if (asker.left() - size.width() >= screen.left())
        r.moveTopLeft(QPoint(asker.left() - size.width(), top));
    else
        r.moveCenter(asker.center());
    // Kept on the screen, its top-left corner first.
    r.moveLeft(std::max(screen.left(), std::min(r.left(), screen.right() + 1 - r.width())));
    r.moveTop(std::max(screen.top(), std::min(r.top(), screen.bottom() + 1 - r.height())));
    return r;
}

} // namespace kumiro
