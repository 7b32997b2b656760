#pragma once

#include <QList>
#include <QString>

#include <QPointer>
#include <QRect>

#include <memory>

class QWidget;

namespace kumiro {

class MessageBoxes;
class HelpWindow;

enum class HelpCommand { Contents, Index, Context };

// Opens the help file at its contents, its keyword index, or a topic by context number.
class HelpViewer {
public:
    virtual ~HelpViewer() = default;
    virtual void show(QWidget* parent, const QString& helpFile, HelpCommand command, int context = 0) = 0;
};

class QtHelpViewer : public HelpViewer {
public:
    explicit QtHelpViewer(MessageBoxes& messages);
    ~QtHelpViewer() override;
    void show(QWidget* parent, const QString& helpFile, HelpCommand command, int context) override;

    HelpWindow* window() const;

private:
    MessageBoxes& messages_;
    QPointer<HelpWindow> window_;
    QRect placed_; // where the user last had the help window this session
};

// Where the help window opens the first time: beside the window that asked for it (right,
// else left), else centred on it; always inside the screen.
QRect helpWindowPlace(const QRect& askerFrame, const QSize& helpSize, const QRect& screen);

struct HelpIndexEntry {
    QString keyword;
    QString anchor;
};

// The anchor of a context topic: 6 -> "ctx6".
QString contextAnchor(int context);
inline const QString kContentsAnchor = QStringLiteral("contents");

// Keyword links of the help file: <a class="kw" href="#anchor">keyword</a>, sorted.
QList<HelpIndexEntry> parseHelpIndex(const QString& html);

// Entries whose keyword contains the typed text, ignoring case, width, and katakana or
// hiragana.
QList<HelpIndexEntry> filterHelpIndex(const QList<HelpIndexEntry>& entries, const QString& typed);

// The message when the help file is missing.
QString helpMissingText(const QString& helpFile);
inline const QString kHelpMissingTitle = QStringLiteral("ヘルプ確認");

} // namespace kumiro
