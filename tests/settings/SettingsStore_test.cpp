// The settings record's defaults and its round trip through the INI store.
#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>

#include "settings/SettingsStore.h"
#include "support/TempDir.h"

namespace q64 {
namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
    QString Ini() const { return QString::fromStdString(dir.File("Quorvel64.ini")); }
    void Put(const char* key, const QVariant& value) {
        QSettings raw(Ini(), QSettings::IniFormat);
        raw.setValue(QStringLiteral("Initialization/") + key, value);
    }
    QVariant Get(const char* key) const {
        QSettings raw(Ini(), QSettings::IniFormat);
        return raw.value(QStringLiteral("Initialization/") + key);
    }
    test::TempDir dir;
};

TEST_F(SettingsStoreTest, EmptyStoreGivesEveryDefault) {
    const Settings s = SettingsStore(Ini()).Load();
    const Settings d;
    EXPECT_EQ(s.Col1W, 130);
    EXPECT_EQ(s.Col2W, 150);
    EXPECT_EQ(s.Col3W, 70);
    EXPECT_EQ(s.Backup, 1);
    EXPECT_EQ(s.Compress, 6);
    EXPECT_EQ(s.BIOS, 1);
    EXPECT_EQ(s.OutPort, 0x378);
    EXPECT_EQ(s.Unit, 0);
    EXPECT_EQ(s.DefaultDir, DefaultFolder());
    EXPECT_EQ(s.PreviewDir, 1);
    EXPECT_EQ(s.PreviewCD, 0);
    EXPECT_EQ(s.SurgeonAddress, 0x300);
    EXPECT_EQ(s.ListType, 0);
    EXPECT_EQ(s.ADrive, 1);
    EXPECT_EQ(s.DefAView, "NOTEPAD.EXE");
    EXPECT_EQ(s.DefBView, "NIEW.EXE");
    EXPECT_EQ(s.Splash, 1);
    EXPECT_EQ(s.CD64Port, 0x310);
    EXPECT_EQ(s.CD64Comm, 'X');
    EXPECT_EQ(s.CD64ReceiveType, 0);
    const FrameGeometry g = SettingsStore(Ini()).LoadGeometry();
    EXPECT_EQ(g.Vert, 0);
    EXPECT_EQ(g.Horiz, 0);
    EXPECT_EQ(g.Width, 635);
    EXPECT_EQ(g.Height, 458);
    EXPECT_EQ(g.Maximised, 0);
    EXPECT_EQ(g.Divider, 0);
    EXPECT_FALSE(g.Stored); // a first start
    EXPECT_FALSE(QFile::exists(Ini())); // loading writes nothing
}

TEST_F(SettingsStoreTest, RoundTripKeepsEveryField) {
    Settings s;
    s.Col1W = 200, s.Backup = 0, s.Compress = 9, s.BIOS = 2, s.OutPort = 0x278, s.OutPortCustom = 0x2BC;
    s.Unit = 2, s.DefaultDir = "/tmp/roms", s.PreviewDir = 0, s.Surgeon = 1, s.SortCol = 2, s.ListType = 8;
    s.Hidden = 1, s.ADrive = 7, s.DefAView = "less", s.DefBView = "xxd", s.Splash = 0, s.CD64Port = 0x330;
    s.CD64Comm = 'T', s.CD64ReceiveType = 1, s.SortOrder = 1, s.RomDatabase = "/tmp/db.ini";
    FrameGeometry g{10, 20, 800, 600, 1, 333};
    SettingsStore(Ini()).SaveAll(s, g, QByteArray("state"));

    SettingsStore store(Ini());
    const Settings r = store.Load();
    EXPECT_EQ(r.Col1W, 200);
    EXPECT_EQ(r.Backup, 0);
    EXPECT_EQ(r.Compress, 9);
    EXPECT_EQ(r.BIOS, 2);
    EXPECT_EQ(r.OutPort, 0x278);
    EXPECT_EQ(r.OutPortCustom, 0x2BC);
    EXPECT_EQ(r.Unit, 2);
    EXPECT_EQ(r.DefaultDir, "/tmp/roms");
    EXPECT_EQ(r.PreviewDir, 0);
    EXPECT_EQ(r.Surgeon, 1);
    EXPECT_EQ(r.SortCol, 2);
    EXPECT_EQ(r.ListType, 8);
    EXPECT_EQ(r.Hidden, 1);
    EXPECT_EQ(r.ADrive, 7);
    EXPECT_EQ(r.DefAView, "less");
    EXPECT_EQ(r.DefBView, "xxd");
    EXPECT_EQ(r.Splash, 0);
    EXPECT_EQ(store.ReadSplash(), 0);
    EXPECT_EQ(r.CD64Port, 0x330);
    EXPECT_EQ(r.CD64Comm, 'T');
    EXPECT_EQ(r.CD64ReceiveType, 1);
    EXPECT_EQ(r.RomDatabase, "/tmp/db.ini");
    const FrameGeometry rg = store.LoadGeometry();
    EXPECT_EQ(rg.Vert, 10);
    EXPECT_EQ(rg.Horiz, 20);
    EXPECT_EQ(rg.Width, 800);
    EXPECT_EQ(rg.Height, 600);
    EXPECT_EQ(rg.Maximised, 1);
    EXPECT_EQ(rg.Divider, 333);
    EXPECT_TRUE(rg.Stored);
    EXPECT_EQ(store.ReadToolBarState(), QByteArray("state"));
}

TEST_F(SettingsStoreTest, ShowDirsIsForcedToZeroAndSortOrderIsWrittenOnly) {
    Put("ShowDirs", 1);
    Put("SortOrder", 1);
    SettingsStore store(Ini());
    Settings s = store.Load();
    EXPECT_EQ(s.ShowDirs, 0);
    s.SortOrder = 0;
    store.Save(s);
    store.Sync();
    EXPECT_EQ(Get("ShowDirs").toInt(), 0);
    EXPECT_EQ(Get("SortOrder").toInt(), 0);
}

TEST_F(SettingsStoreTest, WrongValuesFallBackToDefaults) {
    Put("Col1W", "wide");
    Put("Unit", "");
    Put("OutPort", "0x278");
    Put("SC64BootMode", 2); // a 64DD IPL boot, which the program does not set
    Put("SC64TvType", 4);   // no such TV type
    SettingsStore store(Ini());
    const Settings s = store.Load();
    EXPECT_EQ(s.SC64BootMode, 1);
    EXPECT_EQ(s.SC64TvType, 3);
    EXPECT_EQ(s.Col1W, 130);
    EXPECT_EQ(s.Unit, 0);
    EXPECT_EQ(s.OutPort, 0x278); // hexadecimal text typed by hand is read
}

TEST_F(SettingsStoreTest, EightBitFieldsKeepTheLowByteWithItsSign) {
    Put("CD64Comm", 0x1FF);
    Put("CD64ReceiveType", 0x101);
    SettingsStore store(Ini());
    Settings s = store.Load();
    EXPECT_EQ(s.CD64Comm, -1);
    EXPECT_EQ(s.CD64ReceiveType, 1);
    store.Save(s);
    store.Sync();
    EXPECT_EQ(Get("CD64Comm").toInt(), -1);
}

TEST_F(SettingsStoreTest, UnwritableStoreNeverStopsTheProgram) {
    SettingsStore store(QString::fromStdString(dir.File("missing/folder/\x01/Quorvel64.ini")));
    store.Save(Settings{});
    store.Sync(); // returns false, nothing thrown
    EXPECT_EQ(store.Load().Col1W, 130);
}

} // namespace
} // namespace q64
