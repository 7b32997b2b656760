// The prepared profile: set up once by an office of its own, then kept in the user's cache.
#pragma once

#include "combine/Office.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <utility>

namespace kumiro::lo {

// Keeps a profile that the office has already set up, so that each start is quick.
class ProfileCache {
public:
    explicit ProfileCache(OfficeOptions options) : options_(std::move(options)) {}

    // The prepared profile's folder, set up by an office the first time; throws
    // OfficeError(Setup) when it cannot be kept anywhere.
    QString preparedProfile();

private:
    OfficeOptions options_;
    std::unique_ptr<QTemporaryDir> unsaved_;
};

} // namespace kumiro::lo
