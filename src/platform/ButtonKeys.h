#pragma once

class QObject;

namespace kumiro {

// Return and Enter press the button that has the focus, in every window, as Space does;
// elsewhere they keep their meaning (a dialog's default button). Installed once on the
// application.
void installButtonKeys(QObject& application);

} // namespace kumiro
