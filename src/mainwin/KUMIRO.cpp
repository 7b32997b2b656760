#include "KUMIRO.h"

#include "app/PlatformProbes.h"
#include "app/ProgramState.h"
#include "app/TextValues.h"
#include "platform/Icons.h"
#include "platform/Look.h"
#include "platform/Platform.h"
#include "platform/Twips.h"

#include <QApplication>
#include <QCloseEvent>

namespace kumiro {

KUMIRO::KUMIRO(ProgramState& state, Platform& platform, QWidget* parent)
    : QMainWindow(parent), state_(state), platform_(platform)
{
    setObjectName(QStringLiteral("KUMIRO"));
    setWindowTitle(title());
    setWindowIcon(programIcon());
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kWindowGrey);
    setPalette(pal);
    setAutoFillBackground(true);
    endProgram = [] { QApplication::exit(0); };
    Form_Load();
}

void KUMIRO::Form_Load()
{
    ReadAppearanceScheme(state_);

    // A size that is not a number or does not fit 16 bits gives the designed default.
    const bool xpClassic = GetWindowsName() == QStringLiteral("Windows XP") && state_.AppearanceScheme.isEmpty();
    const int xpExtra = xpClassic ? 120 : 0;
    const auto storedHeight = wholeNumber(state_.set.F_Height);
    const qint16 height =
        (storedHeight ? toInt16(*storedHeight + xpExtra) : std::nullopt).value_or(9000 + xpExtra);
    const qint16 width = toInt16(state_.set.F_Width).value_or(12000);
    resize(twipsToPixels(width), twipsToPixels(height));

    int top, left;
    if (isOn(state_.set.OptCent)) {
        top = (twipsToPixels(screenHeightTwips()) - this->height()) / 2;
        left = (twipsToPixels(screenWidthTwips()) - this->width()) / 2;
    } else {
        top = twipsToPixels(leadingNumber(state_.set.G_Top));
        left = twipsToPixels(leadingNumber(state_.set.G_Left));
    }
    move(left, top);

    state_.FolderChosen = 0;
}

void KUMIRO::saveGeometry()
{
    // Position of the frame, size of the window inside it: the same measures that
    // Form_Load restores, so the window neither creeps nor grows from run to run.
    state_.save(kSectionPosition, QStringLiteral("G_Top"), numberText(pixelsToTwips(y())));
    state_.save(kSectionPosition, QStringLiteral("G_Left"), numberText(pixelsToTwips(x())));
    state_.save(kSectionPosition, QStringLiteral("F_Height"),
                numberText(pixelsToTwips(height())));
    state_.save(kSectionPosition, QStringLiteral("F_Width"), numberText(pixelsToTwips(width())));
}

void KUMIRO::mnuFileEnd_Click()
{
    const MsgAnswer answer = platform_.messages.show(
        this, MsgIcon::Question, QStringLiteral("終了確認"),
        QStringLiteral("「くみろ君 for Windows」 を終了しますか？　"), MsgButtons::OkCancel);
    if (answer != MsgAnswer::Ok)
        return;
    endNow();
}

void KUMIRO::closeEvent(QCloseEvent* event)
{
    event->accept();
    endNow();
}

void KUMIRO::endNow()
{
    if (ending_)
        return;
    ending_ = true;
    saveGeometry();
    if (endProgram)
        endProgram();
}

} // namespace kumiro
