#pragma once
// "Properties": shows most options of the settings record, lets the user
// change them, and writes them back into the record on OK (only then, and
// only after every value passed its check). Holds no file I/O: the folder
// and file pickers and the message box are replaceable callbacks.

#include <QDialog>
#include <QString>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "app/DialogMessage.h"
#include "settings/Settings.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace q64 {

class SpinField;

class PropertiesDialog : public QDialog {
    Q_OBJECT
public:
    // The parallel port choices, in the order shown.
    enum class ParallelChoice { Lpt1, Lpt2, Lpt3, Custom };
    static constexpr std::array<int, 3> kLptPorts = {0x378, 0x278, 0x3BC};
    static constexpr std::array<int, 4> kCd64Ports = {0x300, 0x310, 0x320, 0x330};

    // Picks a folder: returns its path, or an empty text when cancelled.
    using FolderPicker = std::function<QString(QWidget* parent, const QString& title, const QString& start)>;
    // Picks an existing program file: returns its full path, or an empty text when cancelled.
    using FilePicker = std::function<QString(QWidget* parent, const QString& start)>;
    // Lists the serial devices of the attached SummerCart64 carts (or, for
    // the EverDrive-64, of the attached FT245R bridges).
    using DeviceFinder = std::function<std::vector<std::string>()>;

    // Fills the controls from `settings`, which outlives the dialog and is
    // changed only by a successful OK.
    explicit PropertiesDialog(Settings& settings, QWidget* parent = nullptr);

    void SetMessageFn(DialogMessageFn fn) { message_ = std::move(fn); }
    void SetFolderPicker(FolderPicker picker) { folderPicker_ = std::move(picker); }
    void SetFilePicker(FilePicker picker) { filePicker_ = std::move(picker); }
    void SetDeviceFinder(DeviceFinder finder) { deviceFinder_ = std::move(finder); }
    void SetEd64DeviceFinder(DeviceFinder finder) { ed64DeviceFinder_ = std::move(finder); }

    // The platform's pickers: a folder picker showing folders only, and a
    // file-open picker for existing files with the filters
    // "Executables (*.exe)" and "All Files (*)".
    static QString PickFolder(QWidget* parent, const QString& title, const QString& start);
    static QString PickProgram(QWidget* parent, const QString& start);

    // Checks the compression level (a whole number 0..9; else the standard
    // message, the field selected and the dialog open), then writes every
    // control into the record and closes with OK.
    void accept() override;

    // The controls, for the caller's and the tests' use.
    QRadioButton* UnitChoice(int unit) const { return units_.at(static_cast<std::size_t>(unit)); }
    QRadioButton* ParallelChoiceButton(ParallelChoice choice) const {
        return parallel_.at(static_cast<std::size_t>(choice));
    }
    QRadioButton* Cd64Choice(int index) const { return cd64_.at(static_cast<std::size_t>(index)); }
    QLineEdit* CustomPortField() const { return customPort_; }
    QLineEdit* Sc64DeviceField() const { return sc64Device_; }
    QPushButton* Sc64FindButton() const { return findDevice_; }
    // The cart's boot mode (items: the menu, through the bootloader, directly)
    // and TV type (the console's own, PAL, NTSC, MPAL).
    QComboBox* Sc64BootField() const { return sc64Boot_; }
    QComboBox* Sc64TvField() const { return sc64Tv_; }
    QLineEdit* Ed64DeviceField() const { return ed64Device_; }
    QPushButton* Ed64FindButton() const { return findEd64Device_; }
    SpinField* CompressField() const { return compress_; }
    QCheckBox* PreviewDirBox() const { return previewDir_; }
    QCheckBox* PreviewCdBox() const { return previewCd_; }
    QCheckBox* HiddenBox() const { return hidden_; }
    QCheckBox* SplashBox() const { return splash_; }
    QCheckBox* BackupBox() const { return backup_; }
    QCheckBox* SurgeonBox() const { return surgeon_; }
    QLineEdit* SurgeonAddressField() const { return surgeonAddress_; }
    QLineEdit* DefaultDirField() const { return defaultDir_; }
    QLineEdit* AsciiViewerField() const { return asciiViewer_; }
    QLineEdit* BinaryViewerField() const { return binaryViewer_; }
    QPushButton* DefaultDirBrowse() const { return browseDir_; }
    QPushButton* AsciiViewerBrowse() const { return browseAscii_; }
    QPushButton* BinaryViewerBrowse() const { return browseBinary_; }
    QLineEdit* DatFileField() const { return datFile_; }
    QPushButton* DatFileBrowse() const { return browseDat_; }

private:
    QWidget* BuildDeviceGroup();
    QWidget* BuildPortGroup();
    QWidget* BuildOptionsGroup();
    QWidget* BuildDefaultsGroup();
    void Fill();
    void UpdateControls();
    void BrowseFolder();
    void BrowseProgram(QLineEdit* field);
    // Fills the device field with the first cart found, or says none was.
    void FindDevice();
    void FindEd64Device();

    Settings& settings_;
    std::array<QRadioButton*, 5> units_{};
    std::array<QRadioButton*, 4> parallel_{};
    std::array<QRadioButton*, 4> cd64_{};
    QButtonGroup* unitGroup_ = nullptr;
    QButtonGroup* parallelGroup_ = nullptr;
    QButtonGroup* cd64Group_ = nullptr;
    QLineEdit* customPort_ = nullptr;
    QLineEdit* sc64Device_ = nullptr;
    QPushButton* findDevice_ = nullptr;
    QComboBox* sc64Boot_ = nullptr;
    QComboBox* sc64Tv_ = nullptr;
    QLineEdit* ed64Device_ = nullptr;
    QPushButton* findEd64Device_ = nullptr;
    SpinField* compress_ = nullptr;
    QCheckBox* previewDir_ = nullptr;
    QCheckBox* previewCd_ = nullptr;
    QCheckBox* hidden_ = nullptr;
    QCheckBox* splash_ = nullptr;
    QCheckBox* backup_ = nullptr;
    QCheckBox* surgeon_ = nullptr;
    QLineEdit* surgeonAddress_ = nullptr;
    QLineEdit* defaultDir_ = nullptr;
    QLineEdit* asciiViewer_ = nullptr;
    QLineEdit* binaryViewer_ = nullptr;
    QLineEdit* datFile_ = nullptr;
    QPushButton* browseDat_ = nullptr;
    QPushButton* browseDir_ = nullptr;
    QPushButton* browseAscii_ = nullptr;
    QPushButton* browseBinary_ = nullptr;
    // Where the folder picker starts: the default folder the dialog opened
    // with, then the folder picked last.
    QString folderStart_;
    DialogMessageFn message_ = ShowDialogMessage;
    FolderPicker folderPicker_ = PickFolder;
    FilePicker filePicker_ = PickProgram;
    DeviceFinder deviceFinder_;
    DeviceFinder ed64DeviceFinder_;
};

} // namespace q64
