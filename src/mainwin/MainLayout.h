#pragma once

#include <QRectF>

#include <array>
#include <optional>

namespace kumiro {

// The frame around the client area that stored sizes include: borders, caption and menu
// bar. Stored sizes are outer sizes, so the client area keeps its proportions whatever
// the window manager draws around it.
inline constexpr double kFrameWidthTwips = 120;
inline constexpr double kFrameHeightTwips = 660;
inline constexpr double kToolbarHeightTwips = 360;

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
