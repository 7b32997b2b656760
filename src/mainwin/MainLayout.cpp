#include "MainLayout.h"

#include <algorithm>

namespace kumiro {

namespace {
constexpr double kListLeft = 120, kListTop = 525;
constexpr double kCommand1W = 1300, kCommand1H = 300;
constexpr double kCommand2W = 645, kCommand2H = 345;
} // namespace

std::optional<MainLayout> mainLayoutFor(double H, double W)
{
    if (H - 1860 < 0)
        return std::nullopt;
    MainLayout l;
    for (int i = 0; i < 4; ++i)
        l.command1[i] = QRectF(W / 2 - 2765 + i * 1300 + i * 110, H - 1190, kCommand1W, kCommand1H);
    for (int i = 0; i < 5; ++i)
        l.command2[i] = QRectF(W / 2 - 322, H / 2 - 1460 + i * 450, kCommand2W, kCommand2H);
    // A very narrow window would give the lists a negative width: they shrink to nothing.
    const double list1Width = std::max(0.0, l.command2[0].left() - 160 - 120);
    l.list1 = QRectF(kListLeft, kListTop, list1Width, H - 1860);
    l.list2 = QRectF(l.command2[0].left() + kCommand2W + 160, kListTop, std::max(0.0, list1Width - 120), H - 1860);
    return l;
}

MainLayout initialMainLayout()
{
    MainLayout l;
    l.list1 = QRectF(120, 525, 5355, 7260);
    l.list2 = QRectF(6405, 525, 5355, 7260);
    for (int i = 0; i < 5; ++i)
        l.command2[i] = QRectF(5618, 3075 + i * 450, kCommand2W, kCommand2H);
    for (int i = 0; i < 4; ++i)
        l.command1[i] = QRectF(3175 + i * 1410, 7930, kCommand1W, kCommand1H);
    return l;
}

} // namespace kumiro
