#pragma once

#include "combine/CommandProgress.h"

#include <QDialog>

#include <atomic>
#include <exception>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

namespace kumiro {

// Runs a long command on a worker thread while this modal window shows which file
// it is at; the main window keeps painting and takes no other command meanwhile.
// "キャンセル" (or Escape, or closing the window) asks the command to stop after the
// current file.
class ProgressWindow : public QDialog {
    Q_OBJECT
public:
    ProgressWindow(QWidget* parent, const QString& title,
                   const QString& firstText = QStringLiteral("LibreOffice を起動しています…"));

    // Returns when the job has ended; an exception the job threw is thrown again here. A
    // signal that asks the program to end cancels the job, and the program ends after it.
    void run(const std::function<void(const CommandProgress&)>& job);
    // Whether a job runs behind a progress window.
    static bool anyRunning() { return running_ > 0; }
    bool cancelRequested() const { return cancel_; }
    // `flag` is set too when the user asks to stop.
    void alsoSet(std::atomic<bool>* flag) { alsoCancel_ = flag; }

    QLabel* label() const { return label_; }
    QPushButton* cancelButton() const { return cancelButton_; }

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void show(int index, int count, const QString& file);

    QLabel* label_;
    QProgressBar* bar_;
    QPushButton* cancelButton_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool>* alsoCancel_ = nullptr;
    bool finished_ = false;
    static inline int running_ = 0;
};

} // namespace kumiro
