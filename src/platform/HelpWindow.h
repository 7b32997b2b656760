#pragma once

#include "Help.h"

#include <QWidget>

class QLineEdit;
class QListWidget;
class QTextBrowser;
class QToolButton;

namespace kumiro {

// The help viewer: the topic text, back and forward, contents, and a keyword index
// that narrows as the user types.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    void openFile(const QString& helpFile);
    void showAnchor(const QString& anchor);
    void showIndex();

    QTextBrowser* browser() const { return browser_; }
    QLineEdit* searchField() const { return search_; }
    QListWidget* keywordList() const { return keywords_; }

private:
    void fillKeywords();
    void openKeyword();

    QString file_;
    QList<HelpIndexEntry> index_;
    QTextBrowser* browser_;
    QLineEdit* search_;
    QListWidget* keywords_;
    QToolButton* back_;
    QToolButton* forward_;
};

} // namespace kumiro
