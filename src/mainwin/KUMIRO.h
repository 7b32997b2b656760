#pragma once

#include <QMainWindow>

#include <functional>

namespace kumiro {

struct ProgramState;
struct Platform;

// The main window.
class KUMIRO : public QMainWindow {
    Q_OBJECT
public:
    KUMIRO(ProgramState& state, Platform& platform, QWidget* parent = nullptr);

    static QString title() { return QStringLiteral("くみろ君 for Windows"); }

    // Sizes and places the window from the settings; runs when the window is created.
    void Form_Load();
    void mnuFileEnd_Click();
    // G_Top, G_Left, F_Height, F_Width in twips, in that order.
    void saveGeometry();

    // How the program ends; tests replace it.
    std::function<void()> endProgram;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void endNow();

    ProgramState& state_;
    Platform& platform_;
    bool ending_ = false;
};

} // namespace kumiro
