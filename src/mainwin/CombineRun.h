#pragma once

#include "app/Kinds.h"
#include "platform/Message.h"

#include <QStringList>

#include <optional>

class QWidget;

namespace kumiro {

struct Platform;
class OfficeRunner;

// A file of the order that is gone since the order was confirmed (deleted, renamed, on a
// medium taken out), told as its kind's combine would tell it, but before anything starts.
std::optional<Message> goneFromOrder(Kind kind, const QStringList& order);

// The combine of one kind, off the GUI thread behind the progress window, and its messages;
// true when it completed.
bool runCombine(Kind kind, const QStringList& inputs, const QString& output, Platform& platform, OfficeRunner& office,
                QWidget* owner);

// A completion that names what it wrote, and opens its folder when asked.
void showCompletion(Platform& platform, QWidget* owner, const Message& done, const QString& written);

} // namespace kumiro
