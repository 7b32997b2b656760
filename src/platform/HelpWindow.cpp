#include "HelpWindow.h"

#include "Icons.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QShortcut>
#include <QSplitter>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace kumiro {

namespace {
QToolButton* toolButton(const QString& text, QWidget* parent)
{
    auto* b = new QToolButton(parent);
    b->setText(text);
    b->setAccessibleName(text);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return b;
}
} // namespace

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("くみろ君 ヘルプ"));
    setWindowIcon(programIcon());
    resize(820, 600);

    back_ = toolButton(QStringLiteral("戻る"), this);
    forward_ = toolButton(QStringLiteral("進む"), this);
    auto* contents = toolButton(QStringLiteral("目次"), this);
    auto* index = toolButton(QStringLiteral("索引"), this);
    back_->setShortcut(QKeySequence::Back);
    forward_->setShortcut(QKeySequence::Forward);

    auto* bar = new QHBoxLayout;
    for (QToolButton* b : {back_, forward_, contents, index})
        bar->addWidget(b);
    bar->addStretch();

    auto* side = new QWidget(this);
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(QStringLiteral("キーワード(&K):"), side);
    search_ = new QLineEdit(side);
    search_->setAccessibleName(QStringLiteral("キーワード"));
    search_->setClearButtonEnabled(true);
    label->setBuddy(search_);
    keywords_ = new QListWidget(side);
    keywords_->setAccessibleName(QStringLiteral("索引"));
    sideLayout->addWidget(label);
    sideLayout->addWidget(search_);
    sideLayout->addWidget(keywords_);

    browser_ = new QTextBrowser(this);
    browser_->setAccessibleName(QStringLiteral("ヘルプの本文"));
    browser_->setOpenExternalLinks(true);

    auto* split = new QSplitter(this);
    split->addWidget(side);
    split->addWidget(browser_);
    split->setStretchFactor(1, 1);
    split->setSizes({220, 600});

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(split, 1);

    // Closed as a viewer is: Escape, Ctrl+W (and the system's own Close).
    for (const QKeySequence& key :
         {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W), QKeySequence(QKeySequence::Close)}) {
        auto* shortcut = new QShortcut(key, this);
        connect(shortcut, &QShortcut::activated, this, &QWidget::close);
    }

    connect(back_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QWidget::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QWidget::setEnabled);
    connect(contents, &QToolButton::clicked, this, [this] { showAnchor(kContentsAnchor); });
    connect(index, &QToolButton::clicked, this, &HelpWindow::showIndex);
    connect(search_, &QLineEdit::textChanged, this, &HelpWindow::fillKeywords);
    connect(search_, &QLineEdit::returnPressed, this, &HelpWindow::openKeyword);
    connect(keywords_, &QListWidget::itemActivated, this, &HelpWindow::openKeyword);
    back_->setEnabled(false);
    forward_->setEnabled(false);
}

void HelpWindow::openFile(const QString& helpFile)
{
    if (helpFile == file_)
        return;
    file_ = helpFile;
    QFile f(helpFile);
    index_ = f.open(QIODevice::ReadOnly) ? parseHelpIndex(QString::fromUtf8(f.readAll())) : QList<HelpIndexEntry>();
    browser_->setSource(QUrl::fromLocalFile(helpFile));
    browser_->clearHistory();
    fillKeywords();
}

void HelpWindow::showAnchor(const QString& anchor)
{
    QUrl url = QUrl::fromLocalFile(file_);
    url.setFragment(anchor);
    browser_->setSource(url);
}

void HelpWindow::showIndex()
{
    // Each opening of the index starts afresh: its topic and every keyword.
    showAnchor(QStringLiteral("index"));
    search_->clear();
    fillKeywords();
    search_->setFocus();
}

void HelpWindow::fillKeywords()
{
    keywords_->clear();
    for (const auto& e : filterHelpIndex(index_, search_->text())) {
        auto* item = new QListWidgetItem(e.keyword, keywords_);
        item->setData(Qt::UserRole, e.anchor);
    }
    if (keywords_->count() > 0)
        keywords_->setCurrentRow(0);
}

void HelpWindow::openKeyword()
{
    if (QListWidgetItem* item = keywords_->currentItem())
        showAnchor(item->data(Qt::UserRole).toString());
}

} // namespace kumiro
