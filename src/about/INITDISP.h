#pragma once

#include <QDialog>

class QTimer;

namespace kumiro {

// The splash screen: announces the program and closes itself after five seconds.
class INITDISP : public QDialog {
    Q_OBJECT
public:
    explicit INITDISP(QWidget* parent = nullptr);

    QTimer* timer() const { return Timer1; }
    // Attribution and author shown on the splash.
    static QString attribution();
    static QString authorName();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Timer1_Timer();
    void addLabel(const QString& text, const QFont& font, const QColor& color, double left, double top, double width,
                  double height, Qt::Alignment align = {});

    QTimer* Timer1;
    bool timedOut_ = false;
};

} // namespace kumiro
