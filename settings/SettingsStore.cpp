#include "settings/SettingsStore.h"

#include <QDir>
#include <QSettings>
#include <type_traits>

#include "settings/SettingsTable.h"

namespace q64 {

namespace {
const QString kGroup = QStringLiteral("Initialization");
const QString kSaveTypeGroup = QStringLiteral("SC64SaveTypes");
}

std::string DefaultFolder() { return QDir::homePath().toStdString(); }

SettingsStore::SettingsStore()
    : store_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Fenwold"),
                                         QStringLiteral("Quorvel64"))) {}

SettingsStore::SettingsStore(const QString& iniPath)
    : store_(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)) {}

SettingsStore::~SettingsStore() { Sync(); }

QString SettingsStore::FileName() const { return store_->fileName(); }

bool SettingsStore::Sync() {
    store_->sync();
    return store_->status() == QSettings::NoError;
}

std::optional<long long> SettingsStore::ReadNumber(const char* key) const {
    const QVariant value = store_->value(kGroup + '/' + QLatin1String(key));
    if (!value.isValid()) return std::nullopt;
    bool ok = false;
    // Decimal, or hexadecimal and octal text typed by hand.
    const qlonglong number = value.toString().trimmed().toLongLong(&ok, 0);
    if (!ok || number < INT32_MIN || number > UINT32_MAX) return std::nullopt;
    return number;
}

int SettingsStore::ReadInt(const char* key, int fallback) const {
    const std::optional<long long> number = ReadNumber(key);
    if (!number) return fallback;
    // Accept 32-bit values written as signed or unsigned decimal text.
    return static_cast<int>(static_cast<std::int32_t>(static_cast<std::uint32_t>(*number)));
}

QString SettingsStore::ReadText(const char* key, const QString& fallback) const {
    const QVariant value = store_->value(kGroup + '/' + QLatin1String(key));
    if (!value.isValid() || !value.canConvert<QString>()) return fallback;
    return value.toString();
}

void SettingsStore::WriteInt(const char* key, int value) { store_->setValue(kGroup + '/' + QLatin1String(key), value); }

void SettingsStore::WriteText(const char* key, const QString& value) {
    store_->setValue(kGroup + '/' + QLatin1String(key), value);
}

Settings SettingsStore::Load() const {
    Settings s;
    s.DefaultDir = DefaultFolder();
    for (const SettingKey& row : SettingKeys()) {
        const bool forced = row.use == SettingKey::Use::Forced;
        std::visit(
            [&](auto member) {
                using Field = std::remove_reference_t<decltype(s.*member)>;
                Field& field = s.*member;
                if constexpr (std::is_same_v<Field, std::string>) {
                    field = ReadText(row.key, QString::fromStdString(field)).toStdString();
                } else {
                    const std::optional<long long> stored = ReadNumber(row.key);
                    if (forced || !stored || *stored < row.min || *stored > row.max) return;
                    if (row.accepts && !row.accepts(*stored)) return;
                    // 32-bit values may be stored signed or unsigned; the 8-bit
                    // fields keep the low byte.
                    field = static_cast<Field>(static_cast<std::int32_t>(static_cast<std::uint32_t>(*stored)));
                }
            },
            row.field);
    }
    store_->beginGroup(kSaveTypeGroup);
    for (const QString& key : store_->childKeys()) {
        bool ok = false;
        const int type = store_->value(key).toInt(&ok);
        const QByteArray id = QByteArray::fromHex(key.toLatin1());
        if (ok && !id.isEmpty()) s.SC64SaveTypes[id.toStdString()] = type;
    }
    store_->endGroup();
    return s;
}

void SettingsStore::Save(const Settings& s) {
    for (const SettingKey& row : SettingKeys()) {
        std::visit(
            [&](auto member) {
                const auto& field = s.*member;
                if constexpr (std::is_same_v<std::decay_t<decltype(field)>, std::string>)
                    WriteText(row.key, QString::fromStdString(field));
                else
                    WriteInt(row.key, static_cast<int>(field)); // 8-bit fields widened with their sign
            },
            row.field);
    }
    // Cart ids are two header bytes of any value: the keys are their hexadecimal form.
    store_->beginGroup(kSaveTypeGroup);
    for (const auto& [id, type] : s.SC64SaveTypes)
        store_->setValue(QString::fromLatin1(QByteArray::fromStdString(id).toHex().toUpper()), type);
    store_->endGroup();
}

void SettingsStore::SaveAll(const Settings& settings, const FrameGeometry& g, const QByteArray& toolBarState) {
    WriteInt("Vert", g.Vert);
    WriteInt("Horiz", g.Horiz);
    WriteInt("Width", g.Width);
    WriteInt("Height", g.Height);
    Save(settings);
    WriteInt("Maximised", g.Maximised);
    WriteInt("Divider", g.Divider);
    WriteToolBarState(toolBarState);
    Sync();
}

FrameGeometry SettingsStore::LoadGeometry() const {
    FrameGeometry g;
    const FrameGeometry d;
    g.Vert = ReadInt("Vert", d.Vert);
    g.Horiz = ReadInt("Horiz", d.Horiz);
    g.Width = ReadInt("Width", d.Width);
    g.Height = ReadInt("Height", d.Height);
    g.Maximised = ReadInt("Maximised", d.Maximised);
    g.Divider = ReadInt("Divider", d.Divider);
    g.Stored = store_->contains(kGroup + QStringLiteral("/Width")) && store_->contains(kGroup + QStringLiteral("/Height"));
    return g;
}

void SettingsStore::SaveGeometry(const FrameGeometry& g) {
    WriteInt("Vert", g.Vert);
    WriteInt("Horiz", g.Horiz);
    WriteInt("Width", g.Width);
    WriteInt("Height", g.Height);
    WriteInt("Maximised", g.Maximised);
    WriteInt("Divider", g.Divider);
}

int SettingsStore::ReadSplash() const { return ReadInt("Splash", 1); }

QByteArray SettingsStore::ReadToolBarState() const {
    return store_->value(kGroup + QStringLiteral("/ToolBar")).toByteArray();
}

void SettingsStore::WriteToolBarState(const QByteArray& state) {
    store_->setValue(kGroup + QStringLiteral("/ToolBar"), state);
}

} // namespace q64
