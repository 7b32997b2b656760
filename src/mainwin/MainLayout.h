#pragma once

#include <QRectF>

#include <array>
#include <optional>

namespace kumiro {

// Placements in twips of the lists and the two button arrays for a window of outer
// height H and width W; nothing when the window is too low (H below 1860).
struct MainLayout {
    std::array<QRectF, 4> command1;
    std::array<QRectF, 5> command2;
    QRectF list1;
    QRectF list2;
};

std::optional<MainLayout> mainLayoutFor(double height, double width);

// The placements before the first size change.
MainLayout initialMainLayout();

} // namespace kumiro
