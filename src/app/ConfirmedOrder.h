#pragma once

#include <QStringList>

#include <optional>

namespace kumiro {

// The most files an order of the window holds.
inline constexpr int kMaxOrder = 100;

// The confirmed combine order (OrderFile(0..OrderLast) of old): the files in order, set by
// the order list's "OK". Voided only through voidOrder: a data folder confirmed, a combine
// done.
class ConfirmedOrder {
public:
    void confirm(QStringList files) { files_ = std::move(files); }
    void voidOrder() { files_.reset(); }
    // False once voided; an order of fewer than two files was never one.
    bool isConfirmed() const { return files_ && files_->size() >= 2; }
    // The files, in order; none when voided.
    QStringList files() const { return files_.value_or(QStringList()); }

private:
    std::optional<QStringList> files_;
};

} // namespace kumiro
