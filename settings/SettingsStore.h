#pragma once
// The per-user key/value store behind Settings: QSettings in INI format,
// organization "Fenwold", application "Quorvel64", section "Initialization",
// so the file lives at $XDG_CONFIG_HOME/Fenwold/Quorvel64.ini and a user can
// read and edit it. The store never fails the program: a missing, unreadable
// or wrongly typed value yields its default, and a failed write is ignored.

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

#include "settings/Settings.h"

class QSettings;

namespace q64 {

class SettingsStore {
public:
    // The user's store under the XDG config folder.
    SettingsStore();
    // A store kept in the given INI file (tests, and `q64 --config`).
    explicit SettingsStore(const QString& iniPath);
    ~SettingsStore();

    // Reads every key of the settings table with its default; nothing is written.
    Settings Load() const;
    // Writes every key of the settings table (the frame's keys are separate).
    void Save(const Settings& settings);

    // The whole save at exit, in its order: "Vert", "Horiz", "Width", "Height",
    // the column widths, the options, the sort state, ..., "Splash",
    // "Maximised", then the tool bar's state.
    void SaveAll(const Settings& settings, const FrameGeometry& geometry, const QByteArray& toolBarState);

    FrameGeometry LoadGeometry() const;
    void SaveGeometry(const FrameGeometry& geometry);

    // The "Splash" key, read on its own before the record exists.
    int ReadSplash() const;

    QByteArray ReadToolBarState() const;
    void WriteToolBarState(const QByteArray& state);

    // Writes pending changes; false when the file could not be written.
    bool Sync();
    QString FileName() const;

private:
    std::optional<long long> ReadNumber(const char* key) const;
    int ReadInt(const char* key, int fallback) const;
    QString ReadText(const char* key, const QString& fallback) const;
    void WriteInt(const char* key, int value);
    void WriteText(const char* key, const QString& value);

    std::unique_ptr<QSettings> store_;
};

// The user's home folder: where "DefaultDir" points by default.
std::string DefaultFolder();

} // namespace q64
