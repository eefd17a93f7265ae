// The Properties dialog: how the record fills the controls, what OK writes
// back, the port logic, the enabling rules, the pickers and the refusal of a
// bad compression level.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "DialogTestSupport.h"
#include "app/PropertiesDialog.h"
#include "settings/SettingsStore.h"
#include "app/SpinField.h"
#include "support/TempDir.h"

namespace q64 {
namespace {

using Choice = PropertiesDialog::ParallelChoice;
using test::MessageRecorder;
using test::PressOk;

Settings Sample() {
    Settings s;
    s.DefaultDir = "/home/user/roms";
    return s;
}

class PropertiesDialogTest : public ::testing::Test {
protected:
    // Opens a dialog over `settings` with the message box replaced.
    std::unique_ptr<PropertiesDialog> Open() {
        auto dialog = std::make_unique<PropertiesDialog>(settings);
        dialog->SetMessageFn(messages.Fn());
        return dialog;
    }
    Settings settings = Sample();
    MessageRecorder messages;
};

TEST_F(PropertiesDialogTest, ControlsShowTheRecord) {
    settings.Unit = 2;
    settings.Compress = 4;
    settings.PreviewDir = 1;
    settings.PreviewCD = 1;
    settings.Hidden = 1;
    settings.Splash = 0;
    settings.Backup = 0;
    settings.Surgeon = 1;
    settings.SurgeonAddress = 0x340;
    settings.CD64Port = 0x330;
    settings.DefAView = "/usr/bin/less";
    auto dialog = Open();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Properties"));
    EXPECT_TRUE(dialog->UnitChoice(2)->isChecked());
    EXPECT_TRUE(dialog->ParallelChoiceButton(Choice::Lpt1)->isChecked());
    EXPECT_EQ(dialog->CustomPortField()->text(), QStringLiteral("0"));
    EXPECT_TRUE(dialog->CustomPortField()->isReadOnly());
    EXPECT_TRUE(dialog->Cd64Choice(3)->isChecked());
    EXPECT_EQ(dialog->CompressField()->Text(), QStringLiteral("4"));
    EXPECT_TRUE(dialog->PreviewCdBox()->isChecked());
    EXPECT_TRUE(dialog->PreviewCdBox()->isEnabled());
    EXPECT_TRUE(dialog->HiddenBox()->isChecked());
    EXPECT_FALSE(dialog->SplashBox()->isChecked());
    EXPECT_FALSE(dialog->BackupBox()->isChecked());
    EXPECT_EQ(dialog->SurgeonAddressField()->text(), QStringLiteral("0x340"));
    EXPECT_TRUE(dialog->SurgeonAddressField()->isEnabled());
    EXPECT_EQ(dialog->DefaultDirField()->text(), QStringLiteral("/home/user/roms"));
    EXPECT_EQ(dialog->AsciiViewerField()->text(), QStringLiteral("/usr/bin/less"));
    EXPECT_EQ(dialog->BinaryViewerField()->text(), QStringLiteral("NIEW.EXE"));
}

TEST_F(PropertiesDialogTest, ControlTextsAreTheProgramsOwn) {
    auto dialog = Open();
    EXPECT_EQ(dialog->UnitChoice(0)->text(), QStringLiteral("Doctor64"));
    EXPECT_EQ(dialog->UnitChoice(1)->text(), QStringLiteral("SPC64/Wildcard"));
    EXPECT_EQ(dialog->ParallelChoiceButton(Choice::Lpt3)->text(), QStringLiteral("LPT3: Port 0x3BC"));
    EXPECT_EQ(dialog->Cd64Choice(1)->text(), QStringLiteral("0x310"));
    EXPECT_EQ(dialog->PreviewCdBox()->text(), QStringLiteral("Preview CD-ROM's"));
    EXPECT_EQ(dialog->SurgeonBox()->text(), QStringLiteral("Surgeon64 Available on port"));
    QStringList groups;
    for (const QGroupBox* group : dialog->findChildren<QGroupBox*>()) groups << group->title();
    EXPECT_TRUE(groups.contains(QStringLiteral(" Hardware Device ")));
    EXPECT_TRUE(groups.contains(QStringLiteral(" Hardware Port ")));
    EXPECT_TRUE(groups.contains(QStringLiteral(" Miscellaneous Options ")));
    EXPECT_TRUE(groups.contains(QStringLiteral(" System Defaults ")));
}

TEST_F(PropertiesDialogTest, CustomPortOpensAsCustomAndStoresInBoth) {
    settings.OutPort = 0x2BC;
    settings.OutPortCustom = 0x2BC;
    auto dialog = Open();
    EXPECT_TRUE(dialog->ParallelChoiceButton(Choice::Custom)->isChecked());
    EXPECT_EQ(dialog->CustomPortField()->text(), QStringLiteral("0x2bc"));
    EXPECT_FALSE(dialog->CustomPortField()->isReadOnly());
    settings.OutPort = settings.OutPortCustom = 0;
    EXPECT_TRUE(PressOk(*dialog));
    EXPECT_EQ(settings.OutPort, 0x2BC);
    EXPECT_EQ(settings.OutPortCustom, 0x2BC);
}

TEST_F(PropertiesDialogTest, CustomTextsReadAsHexOctalOrDecimal) {
    const std::pair<const char*, int> cases[] = {{"0x2bc", 0x2BC}, {"2BCh", 0x2BC}, {"700", 700},
                                                 {"0700", 0700}, {"", 0}, {"port", 0}};
    for (const auto& [text, value] : cases) {
        settings = Sample();
        auto dialog = Open();
        dialog->ParallelChoiceButton(Choice::Custom)->click();
        dialog->CustomPortField()->setText(QString::fromLatin1(text));
        EXPECT_TRUE(PressOk(*dialog)) << text;
        EXPECT_EQ(settings.OutPort, value) << text;
        EXPECT_EQ(settings.OutPortCustom, value) << text;
    }
}

TEST_F(PropertiesDialogTest, AnLptChoiceStillKeepsTheCustomText) {
    settings.OutPort = 0x2BC;
    settings.OutPortCustom = 0x2BC;
    auto dialog = Open();
    dialog->ParallelChoiceButton(Choice::Lpt2)->click();
    EXPECT_TRUE(dialog->CustomPortField()->isReadOnly());
    EXPECT_EQ(dialog->CustomPortField()->text(), QStringLiteral("0x2bc"));
    EXPECT_TRUE(PressOk(*dialog));
    EXPECT_EQ(settings.OutPort, 0x278);
    EXPECT_EQ(settings.OutPortCustom, 0x2BC);

    dialog = Open();
    EXPECT_TRUE(dialog->ParallelChoiceButton(Choice::Lpt2)->isChecked());
    dialog->ParallelChoiceButton(Choice::Custom)->click();
    EXPECT_FALSE(dialog->CustomPortField()->isReadOnly());
    dialog->ParallelChoiceButton(Choice::Lpt3)->click();
    EXPECT_TRUE(PressOk(*dialog));
    EXPECT_EQ(settings.OutPort, 0x3BC);
}

TEST_F(PropertiesDialogTest, UnknownCd64PortOpensAndStoresAs0x300) {
    settings.CD64Port = 0x2F0;
    auto dialog = Open();
    EXPECT_TRUE(dialog->Cd64Choice(0)->isChecked());
    EXPECT_TRUE(PressOk(*dialog));
    EXPECT_EQ(settings.CD64Port, 0x300);

    dialog = Open();
    dialog->Cd64Choice(2)->click();
    EXPECT_TRUE(PressOk(*dialog));
    EXPECT_EQ(settings.CD64Port, 0x320);
}

TEST_F(PropertiesDialogTest, CompressionArrowsStopAtOneButZeroCanBeTyped) {
    settings.Compress = 2;
    auto dialog = Open();
    dialog->CompressField()->StepDown();
    dialog->CompressField()->StepDown();
    EXPECT_EQ(dialog->CompressField()->Text(), QStringLiteral("1"));
    dialog->CompressField()->SetText(QStringLiteral("0"));
    EXPECT_TRUE(PressOk(*dialog));
    EXPECT_EQ(settings.Compress, 0);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(PropertiesDialogTest, BadCompressionLevelKeepsTheDialogOpenAndTheRecordUntouched) {
    settings.Compress = 6;
    const std::pair<const char*, const char*> cases[] = {
        {"10", "Please enter an integer between 0 and 9."},
        {"-1", "Please enter an integer between 0 and 9."},
        {"fast", "Please enter an integer."},
        {"", "Please enter an integer."},
    };
    for (const auto& [text, message] : cases) {
        messages.shown.clear();
        auto dialog = Open();
        dialog->HiddenBox()->click();
        dialog->DefaultDirField()->setText(QStringLiteral("/elsewhere"));
        dialog->CompressField()->SetText(QString::fromLatin1(text));
        EXPECT_FALSE(PressOk(*dialog)) << text;
        EXPECT_TRUE(dialog->isVisible());
        ASSERT_EQ(messages.shown.size(), 1u) << text;
        EXPECT_EQ(messages.shown[0].text, QString::fromLatin1(message));
        EXPECT_EQ(messages.shown[0].caption, QStringLiteral("Quorvel64"));
        EXPECT_EQ(dialog->CompressField()->Edit()->selectedText(), QString::fromLatin1(text));
        EXPECT_EQ(settings.Compress, 6);
        EXPECT_EQ(settings.Hidden, 0);
        EXPECT_EQ(settings.DefaultDir, "/home/user/roms");
    }
}

TEST_F(PropertiesDialogTest, PreviewAndSurgeonBoxesEnableTheirDependentsAtOnce) {
    settings.PreviewDir = 0;
    settings.Surgeon = 0;
    auto dialog = Open();
    EXPECT_FALSE(dialog->PreviewCdBox()->isEnabled());
    EXPECT_FALSE(dialog->SurgeonAddressField()->isEnabled());
    EXPECT_EQ(dialog->SurgeonAddressField()->text(), QStringLiteral("0x300"));
    dialog->PreviewDirBox()->click();
    dialog->SurgeonBox()->click();
    EXPECT_TRUE(dialog->PreviewCdBox()->isEnabled());
    EXPECT_TRUE(dialog->SurgeonAddressField()->isEnabled());
    dialog->PreviewCdBox()->click();
    dialog->SurgeonAddressField()->setText(QStringLiteral("278h"));
    dialog->PreviewDirBox()->click();
    EXPECT_FALSE(dialog->PreviewCdBox()->isEnabled());
    EXPECT_TRUE(PressOk(*dialog));
    EXPECT_EQ(settings.PreviewDir, 0);
    EXPECT_EQ(settings.PreviewCD, 1); // stored from the box even while it is disabled
    EXPECT_EQ(settings.Surgeon, 1);
    EXPECT_EQ(settings.SurgeonAddress, 0x278);
}

TEST_F(PropertiesDialogTest, OkWritesEveryControlAndLeavesOtherFieldsAlone) {
    settings.Col1W = 99;
    settings.ListType = 5;
    settings.CD64Comm = 'T';
    auto dialog = Open();
    dialog->UnitChoice(1)->click();
    dialog->CompressField()->SetText(QStringLiteral("9"));
    dialog->HiddenBox()->click();
    dialog->SplashBox()->click();
    dialog->BackupBox()->click();
    dialog->DefaultDirField()->setText(QStringLiteral("/Home/User/ROMS"));
    dialog->AsciiViewerField()->setText(QStringLiteral("/usr/bin/gedit"));
    dialog->BinaryViewerField()->setText(QStringLiteral("/usr/bin/ghex"));
    EXPECT_TRUE(PressOk(*dialog));
    EXPECT_EQ(settings.Unit, 1);
    EXPECT_EQ(settings.Compress, 9);
    EXPECT_EQ(settings.Hidden, 1);
    EXPECT_EQ(settings.Splash, 0);
    EXPECT_EQ(settings.Backup, 0);
    EXPECT_EQ(settings.DefaultDir, "/Home/User/ROMS"); // as typed, case kept
    EXPECT_EQ(settings.DefAView, "/usr/bin/gedit");
    EXPECT_EQ(settings.DefBView, "/usr/bin/ghex");
    EXPECT_EQ(settings.Col1W, 99);
    EXPECT_EQ(settings.ListType, 5);
    EXPECT_EQ(settings.CD64Comm, 'T');
}

TEST_F(PropertiesDialogTest, DatFileIsShownAndWrittenEmptyAllowed) {
    settings.DatFile = "/data/n64.dat";
    auto dialog = Open();
    EXPECT_EQ(dialog->DatFileField()->text(), QStringLiteral("/data/n64.dat"));
    dialog->DatFileField()->setText(QStringLiteral("  /other/list.dat "));
    EXPECT_TRUE(PressOk(*dialog));
    EXPECT_EQ(settings.DatFile, "/other/list.dat");
    auto again = Open();
    again->DatFileField()->clear();
    EXPECT_TRUE(PressOk(*again));
    EXPECT_EQ(settings.DatFile, "");
}

TEST_F(PropertiesDialogTest, CancelChangesNothing) {
    const Settings before = settings;
    auto dialog = Open();
    dialog->UnitChoice(2)->click();
    dialog->ParallelChoiceButton(Choice::Custom)->click();
    dialog->CustomPortField()->setText(QStringLiteral("0x2bc"));
    dialog->CompressField()->SetText(QStringLiteral("77"));
    dialog->DefaultDirField()->setText(QStringLiteral("/tmp"));
    dialog->show();
    test::CancelButton(*dialog)->click();
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(settings.Unit, before.Unit);
    EXPECT_EQ(settings.OutPort, before.OutPort);
    EXPECT_EQ(settings.OutPortCustom, before.OutPortCustom);
    EXPECT_EQ(settings.Compress, before.Compress);
    EXPECT_EQ(settings.DefaultDir, before.DefaultDir);
}

TEST_F(PropertiesDialogTest, UnusualStoredValuesSurviveAnUntouchedOk) {
    settings.Backup = 3;  // in-place changes without backup, set by hand
    settings.Unit = 7;    // no such unit: no choice shown
    settings.DefaultDir = "/media/caf\xE9"; // not UTF-8
    auto dialog = Open();
    EXPECT_TRUE(dialog->BackupBox()->isChecked());
    for (int unit = 0; unit < 4; ++unit) EXPECT_FALSE(dialog->UnitChoice(unit)->isChecked());
    EXPECT_TRUE(PressOk(*dialog));
    EXPECT_EQ(settings.Backup, 3);
    EXPECT_EQ(settings.Unit, 7);
    EXPECT_EQ(settings.DefaultDir, "/media/caf\xE9");

    dialog = Open();
    dialog->BackupBox()->click();
    dialog->BackupBox()->click();
    dialog->UnitChoice(0)->click();
    EXPECT_TRUE(PressOk(*dialog));
    EXPECT_EQ(settings.Backup, 3); // ticked as it was shown
    EXPECT_EQ(settings.Unit, 0);
}

TEST_F(PropertiesDialogTest, FolderPickerStartsAtTheOpeningFolderThenAtTheLastPick) {
    std::vector<std::pair<QString, QString>> calls;
    QString answer = QStringLiteral("/picked/one");
    auto dialog = Open();
    dialog->SetFolderPicker([&](QWidget*, const QString& title, const QString& start) {
        calls.emplace_back(title, start);
        return answer;
    });
    dialog->DefaultDirField()->setText(QStringLiteral("/typed"));
    dialog->AsciiViewerField()->setText(QStringLiteral("/typed/viewer"));
    dialog->DefaultDirBrowse()->click();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].first, QStringLiteral("Browse for Folder"));
    EXPECT_EQ(calls[0].second, QStringLiteral("/home/user/roms"));
    EXPECT_EQ(dialog->DefaultDirField()->text(), QStringLiteral("/picked/one"));
    EXPECT_EQ(dialog->AsciiViewerField()->text(), QStringLiteral("/typed/viewer"));

    answer.clear(); // cancelled: the field keeps its text
    dialog->DefaultDirBrowse()->click();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].second, QStringLiteral("/picked/one"));
    EXPECT_EQ(dialog->DefaultDirField()->text(), QStringLiteral("/picked/one"));
    EXPECT_EQ(settings.DefaultDir, "/home/user/roms"); // nothing written before OK
}

TEST_F(PropertiesDialogTest, ViewerPickersFillTheFieldBesideTheButtonPressed) {
    QString answer = QStringLiteral("/usr/bin/hexview");
    auto dialog = Open();
    dialog->SetFilePicker([&](QWidget*, const QString&) { return answer; });
    dialog->BinaryViewerBrowse()->click();
    EXPECT_EQ(dialog->BinaryViewerField()->text(), QStringLiteral("/usr/bin/hexview"));
    EXPECT_EQ(dialog->AsciiViewerField()->text(), QStringLiteral("NOTEPAD.EXE"));
    answer.clear();
    dialog->AsciiViewerBrowse()->click();
    EXPECT_EQ(dialog->AsciiViewerField()->text(), QStringLiteral("NOTEPAD.EXE"));
    answer = QStringLiteral("/usr/bin/pager");
    dialog->AsciiViewerBrowse()->click();
    EXPECT_TRUE(PressOk(*dialog));
    EXPECT_EQ(settings.DefAView, "/usr/bin/pager");
    EXPECT_EQ(settings.DefBView, "/usr/bin/hexview");
}

TEST_F(PropertiesDialogTest, TheSummerCart64ChoicePersistsWithItsDevice) {
    auto dialog = Open();
    EXPECT_EQ(dialog->UnitChoice(3)->text(), QStringLiteral("SummerCart64 (USB)"));
    EXPECT_FALSE(dialog->Sc64DeviceField()->isEnabled()); // only while the cart is chosen
    dialog->UnitChoice(3)->click();
    EXPECT_TRUE(dialog->Sc64DeviceField()->isEnabled());
    dialog->Sc64DeviceField()->setText(QStringLiteral("/dev/ttyUSB1"));
    EXPECT_EQ(dialog->Sc64BootField()->count(), 3); // no 64DD IPL boots
    dialog->Sc64TvField()->setCurrentIndex(2);       // NTSC
    EXPECT_TRUE(PressOk(*dialog));
    settings.SC64SaveTypes = {{"NM", 1}, {std::string("\x01/", 2), 4}}; // any two bytes make a cart id

    test::TempDir dir;
    const QString ini = QString::fromStdString(dir.File("store.ini"));
    SettingsStore(ini).Save(settings);
    const Settings loaded = SettingsStore(ini).Load();
    EXPECT_EQ(loaded.Unit, 3);
    EXPECT_EQ(loaded.SC64Device, "/dev/ttyUSB1");
    EXPECT_EQ(loaded.SC64BootMode, 1);
    EXPECT_EQ(loaded.SC64TvType, 1);
    EXPECT_EQ(loaded.SC64SaveTypes, settings.SC64SaveTypes);
    settings = loaded;
    dialog = Open();
    EXPECT_TRUE(dialog->UnitChoice(3)->isChecked());
    EXPECT_EQ(dialog->Sc64DeviceField()->text(), QStringLiteral("/dev/ttyUSB1"));
    EXPECT_EQ(dialog->Sc64TvField()->currentText(), QStringLiteral("NTSC"));
    // A direct boot skips the bootloader that applies the TV type.
    dialog->Sc64BootField()->setCurrentIndex(2);
    EXPECT_FALSE(dialog->Sc64TvField()->isEnabled());
    EXPECT_TRUE(PressOk(*dialog));
    EXPECT_EQ(settings.SC64BootMode, 3);
    EXPECT_EQ(settings.SC64TvType, 3);
}

TEST_F(PropertiesDialogTest, FindFillsTheDeviceOrSaysNoneWasFound) {
    settings.Unit = 3;
    auto dialog = Open();
    std::vector<std::string> found;
    dialog->SetDeviceFinder([&] { return found; });
    dialog->Sc64FindButton()->click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(dialog->Sc64DeviceField()->text().isEmpty());
    found = {"/dev/ttyUSB2", "/dev/ttyUSB5"};
    dialog->Sc64FindButton()->click();
    EXPECT_EQ(dialog->Sc64DeviceField()->text(), QStringLiteral("/dev/ttyUSB2"));
    EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(PropertiesDialogTest, TheEverDrive64HasItsOwnDeviceAndFind) {
    auto dialog = Open();
    EXPECT_EQ(dialog->UnitChoice(4)->text(), QStringLiteral("EverDrive-64 (USB)"));
    EXPECT_FALSE(dialog->Ed64DeviceField()->isEnabled());
    dialog->UnitChoice(4)->click();
    EXPECT_TRUE(dialog->Ed64DeviceField()->isEnabled());
    EXPECT_FALSE(dialog->Sc64DeviceField()->isEnabled());
    std::vector<std::string> found;
    dialog->SetEd64DeviceFinder([&] { return found; });
    dialog->Ed64FindButton()->click();
    ASSERT_EQ(messages.shown.size(), 1u); // none found: said so, the field left alone
    found = {"/dev/ttyUSB3"};
    dialog->Ed64FindButton()->click();
    EXPECT_TRUE(PressOk(*dialog));
    EXPECT_EQ(settings.Unit, 4);
    EXPECT_EQ(settings.ED64Device, "/dev/ttyUSB3");
    EXPECT_EQ(settings.SC64Device, "");
}

} // namespace
} // namespace q64
