#pragma once

#include <QString>

#include <map>
#include <memory>

class QSettings;

namespace kumiro {

// The per-user store: (application, section, key) -> text. One file per application,
// <root>/<application>/<application>.ini. A missing key reads as the empty text.
class SettingsStore {
public:
    explicit SettingsStore(QString root);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // $XDG_CONFIG_HOME, or ~/.config.
    static QString defaultRoot();

    QString read(const QString& app, const QString& section, const QString& key) const;
    // Writes the key to disk at once; false when the file could not be written.
    bool save(const QString& app, const QString& section, const QString& key, const QString& text);

    QString filePath(const QString& app) const;
    // Where an unreadable file was copied before it was first rewritten; empty if none.
    QString brokenCopy(const QString& app) const;
    bool hadWriteError() const { return writeError_; }
    // Why the file of `app` is neither read nor written (a FIFO, a folder, a link someone
    // else planted, a link to nothing); empty when it is used.
    QString refusal(const QString& app) const;
    // From here on, saves change only what this store reads back, never the file: the
    // command line reads the settings and leaves them as they are.
    void setReadOnly() { readOnly_ = true; }

private:
    QSettings& settingsFor(const QString& app) const;

    QString root_;
    mutable std::map<QString, std::unique_ptr<QSettings>> open_;
    mutable std::map<QString, QString> brokenCopies_;
    mutable std::map<QString, QString> refusals_;
    bool writeError_ = false;
    bool readOnly_ = false;
    std::map<QString, QString> unsaved_; // "app/section/key" -> text, when read-only
};

} // namespace kumiro
