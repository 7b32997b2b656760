#include "ProgressWindow.h"
#include "platform/Interrupt.h"

#include "platform/Look.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

namespace kumiro {

ProgressWindow::ProgressWindow(QWidget* parent, const QString& title, const QString& firstText) : QDialog(parent)
{
    setWindowTitle(title);
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    label_ = new QLabel(firstText, this);
    label_->setMinimumWidth(360);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, 0);
    bar_->setAccessibleName(QStringLiteral("進み具合"));
    cancelButton_ = new QPushButton(QStringLiteral("キャンセル"), this);
    cancelButton_->setAccessibleName(QStringLiteral("キャンセル"));
    connect(cancelButton_, &QPushButton::clicked, this, &ProgressWindow::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    layout->addWidget(bar_);
    layout->addWidget(cancelButton_, 0, Qt::AlignRight);
}

void ProgressWindow::run(const std::function<void(const CommandProgress&)>& job)
{
    std::exception_ptr failure;
    CommandProgress progress;
    progress.cancelled = [this] { return cancel_.load() || interruptSignal() != 0; };
    progress.step = [this](int index, int count, const QString& file) {
        QMetaObject::invokeMethod(
            this, [=, this] { show(index, count, file); }, Qt::QueuedConnection);
    };
    QThread* worker = QThread::create([&] {
        try {
            job(progress);
        } catch (...) {
            failure = std::current_exception();
        }
    });
    connect(worker, &QThread::finished, this, [this] {
        finished_ = true;
        done(QDialog::Accepted);
    });
    worker->start();
    ++running_;
    exec();
    worker->wait();
    --running_;
    delete worker;
    // Everything of the command is cleaned up by now: the program may end.
    if (interruptSignal() != 0)
        QCoreApplication::exit(interruptExitStatus());
    if (failure)
        std::rethrow_exception(failure);
}

void ProgressWindow::show(int index, int count, const QString& file)
{
    bar_->setRange(0, count);
    bar_->setValue(index);
    label_->setText(QStringLiteral("%1 / %2 : %3").arg(index + 1).arg(count).arg(QFileInfo(file).fileName()));
}

void ProgressWindow::reject()
{
    // The window stays until the command has stopped; it closes itself then.
    cancel_ = true;
    if (alsoCancel_)
        *alsoCancel_ = true;
    cancelButton_->setEnabled(false);
    label_->setText(QStringLiteral("中止しています…"));
}

void ProgressWindow::closeEvent(QCloseEvent* event)
{
    if (!finished_) {
        reject();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

} // namespace kumiro
