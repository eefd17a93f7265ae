#include "app/SettingsStore.h"

#include <QDir>
#include <QSettings>

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

int SettingsStore::ReadInt(const char* key, int fallback) const {
    const QVariant value = store_->value(kGroup + '/' + QLatin1String(key));
    if (!value.isValid()) return fallback;
    bool ok = false;
    // Accept 32-bit values written as signed or unsigned decimal text.
    const qlonglong number = value.toString().trimmed().toLongLong(&ok, 0);
    if (!ok || number < INT32_MIN || number > UINT32_MAX) return fallback;
    return static_cast<int>(static_cast<std::int32_t>(static_cast<std::uint32_t>(number & 0xFFFFFFFF)));
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
    const Settings d;
    s.Col1W = ReadInt("Col1W", d.Col1W);
    s.Col2W = ReadInt("Col2W", d.Col2W);
    s.Col3W = ReadInt("Col3W", d.Col3W);
    s.Backup = ReadInt("Backup", d.Backup);
    s.Compress = ReadInt("Compress", d.Compress);
    s.BIOS = ReadInt("BIOS", d.BIOS);
    s.OutPort = ReadInt("OutPort", d.OutPort);
    s.OutPortCustom = ReadInt("OutPortCustom", d.OutPortCustom);
    s.Unit = ReadInt("Unit", d.Unit);
    s.DefaultDir = ReadText("DefaultDir", QString::fromStdString(DefaultFolder())).toStdString();
    s.PreviewDir = ReadInt("PreviewDir", d.PreviewDir);
    s.PreviewCD = ReadInt("PreviewCD", d.PreviewCD);
    s.Surgeon = ReadInt("Surgeon", d.Surgeon);
    s.SurgeonAddress = ReadInt("SurgeonAddress", d.SurgeonAddress);
    s.SortCol = ReadInt("SortCol", d.SortCol);
    s.SortOrder = ReadInt("SortOrder", d.SortOrder);
    s.ListType = ReadInt("ListType", d.ListType);
    ReadInt("ShowDirs", 0); // read and dropped: folders are never listed
    s.ShowDirs = 0;
    s.Hidden = ReadInt("Hidden", d.Hidden);
    s.ADrive = ReadInt("ADrive", d.ADrive);
    s.DefAView = ReadText("DefAView", QString::fromStdString(d.DefAView)).toStdString();
    s.DefBView = ReadText("DefBView", QString::fromStdString(d.DefBView)).toStdString();
    s.Splash = ReadInt("Splash", d.Splash);
    s.CD64Port = ReadInt("CD64Port", d.CD64Port);
    // The two 8-bit fields keep the low byte of the stored integer.
    s.CD64Comm = static_cast<std::int8_t>(ReadInt("CD64Comm", d.CD64Comm) & 0xFF);
    s.CD64ReceiveType = static_cast<std::int8_t>(ReadInt("CD64ReceiveType", d.CD64ReceiveType) & 0xFF);
    s.DatFile = ReadText("DatFile", QString::fromStdString(d.DatFile)).toStdString();
    s.SC64Device = ReadText("SC64Device", QString::fromStdString(d.SC64Device)).toStdString();
    s.SC64BootMode = ReadInt("SC64BootMode", d.SC64BootMode);
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
    WriteInt("Col1W", s.Col1W);
    WriteInt("Col2W", s.Col2W);
    WriteInt("Col3W", s.Col3W);
    WriteInt("Backup", s.Backup);
    WriteInt("Compress", s.Compress);
    WriteInt("BIOS", s.BIOS);
    WriteInt("OutPort", s.OutPort);
    WriteInt("OutPortCustom", s.OutPortCustom);
    WriteInt("Unit", s.Unit);
    WriteText("DefaultDir", QString::fromStdString(s.DefaultDir));
    WriteInt("PreviewDir", s.PreviewDir);
    WriteInt("PreviewCD", s.PreviewCD);
    WriteInt("Surgeon", s.Surgeon);
    WriteInt("SurgeonAddress", s.SurgeonAddress);
    WriteInt("SortCol", s.SortCol);
    WriteInt("SortOrder", s.SortOrder);
    WriteInt("ListType", s.ListType);
    WriteInt("ShowDirs", s.ShowDirs);
    WriteInt("Hidden", s.Hidden);
    WriteInt("ADrive", s.ADrive);
    WriteText("DefAView", QString::fromStdString(s.DefAView));
    WriteText("DefBView", QString::fromStdString(s.DefBView));
    WriteInt("CD64Port", s.CD64Port);
    // Widened with their sign, as the record holds them.
    WriteInt("CD64Comm", static_cast<int>(s.CD64Comm));
    WriteInt("CD64ReceiveType", static_cast<int>(s.CD64ReceiveType));
    WriteText("SC64Device", QString::fromStdString(s.SC64Device));
    WriteInt("SC64BootMode", s.SC64BootMode);
    // Cart ids are two header bytes of any value: the keys are their hexadecimal form.
    store_->beginGroup(kSaveTypeGroup);
    for (const auto& [id, type] : s.SC64SaveTypes)
        store_->setValue(QString::fromLatin1(QByteArray::fromStdString(id).toHex().toUpper()), type);
    store_->endGroup();
    WriteInt("Splash", s.Splash);
    WriteText("DatFile", QString::fromStdString(s.DatFile));
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
