#pragma once

#include <QString>

#include <functional>

namespace kumiro {

// What a long command tells its progress window, and asks it.
struct CommandProgress {
    std::function<void(int index, int count, const QString& file)> step;
    std::function<bool()> cancelled;

    void at(int index, int count, const QString& file) const
    {
        if (step)
            step(index, count, file);
    }
    bool cancelRequested() const { return cancelled && cancelled(); }
};

} // namespace kumiro
