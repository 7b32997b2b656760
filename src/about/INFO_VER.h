#pragma once

#include <QDialog>

#include <array>

class QLabel;
class QPushButton;

namespace kumiro {

struct Platform;

// The About box: name, version, and links to the author's mail and home page.
class INFO_VER : public QDialog {
    Q_OBJECT
public:
    explicit INFO_VER(Platform& platform, QWidget* parent = nullptr);

    static QString mailAddress();
    static QString homePage();
    // The home page split as the two link lines show it: all but the last path segment,
    // and the last segment.
    static std::pair<QString, QString> homePageLines(const QString& url);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Form_MouseMove();
    void Label1_MouseMove(int index);
    void Label1_Click(int index);
    void Command1_Click();

    std::array<QLabel*, 20> Label1{};
    QPushButton* Command1 = nullptr;

    void colourLinks(bool mailLit, bool homeLit);
    void prepareLinks();
    void makeOkButton();
    int indexOf(QObject* object) const;

    Platform& platform_;
};

} // namespace kumiro
