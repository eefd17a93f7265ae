#include "app/PropertiesDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/DialogButtons.h"
#include "app/DialogFields.h"
#include "app/SpinField.h"
#include "transfer/Ed64Devices.h"
#include "transfer/Sc64Devices.h"

namespace q64 {

namespace {

constexpr int kCompressMin = 0;
constexpr int kCompressMax = 9;
constexpr int kCompressArrowLow = 1; // the arrows stop at 1, typing 0 is allowed
constexpr std::size_t kSc64Unit = 3;
constexpr std::size_t kEd64Unit = 4;
// The boot modes offered, as BOOT_MODE values: 2 and 4 start a 64DD IPL,
// which the program does not load.
constexpr std::array<int, 3> kBootModes = {0, 1, 3};
constexpr int kBootDirect = 3;
// The TV types offered, as TV_TYPE values: the console's own first.
constexpr std::array<int, 4> kTvTypes = {3, 0, 1, 2};

template <std::size_t N>
int IndexOf(const std::array<int, N>& values, int value, int fallback) {
    for (std::size_t i = 0; i < N; ++i)
        if (values[i] == value) return static_cast<int>(i);
    return fallback;
}

QString FromStd(const std::string& text) { return QString::fromStdString(text); }

// A check box shows any non-zero value ticked. A box the user left as shown
// keeps the stored value (a hand-set value such as "Backup" 3 survives OK);
// a changed box stores 1 or 0.
int BoxValue(const QCheckBox* box, int stored) {
    if (box->isChecked() == (stored != 0)) return stored;
    return box->isChecked() ? 1 : 0;
}

// A text field the user left as shown keeps the stored bytes (a path that is
// not valid UTF-8 would not survive the trip through QString); otherwise the
// text as typed.
std::string FieldText(const QLineEdit* field, const std::string& stored) {
    if (field->text() == FromStd(stored)) return stored;
    return field->text().toStdString();
}

int ParallelIndexOf(int port) {
    for (std::size_t i = 0; i < PropertiesDialog::kLptPorts.size(); ++i) {
        if (PropertiesDialog::kLptPorts[i] == port) return static_cast<int>(i);
    }
    return static_cast<int>(PropertiesDialog::ParallelChoice::Custom);
}

int Cd64IndexOf(int port) {
    for (std::size_t i = 0; i < PropertiesDialog::kCd64Ports.size(); ++i) {
        if (PropertiesDialog::kCd64Ports[i] == port) return static_cast<int>(i);
    }
    return 0; // anything else shows (and stores) 0x300
}

} // namespace

PropertiesDialog::PropertiesDialog(Settings& settings, QWidget* parent) : QDialog(parent), settings_(settings) {
    setWindowTitle(QStringLiteral("Properties"));
    setModal(true);

    auto* grid = new QGridLayout;
    grid->addWidget(BuildDeviceGroup(), 0, 0);
    grid->addWidget(BuildPortGroup(), 0, 1);
    grid->addWidget(BuildOptionsGroup(), 1, 0);
    grid->addWidget(BuildDefaultsGroup(), 1, 1);
    grid->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(MakeOkCancelButtons(this));

    connect(parallelGroup_, &QButtonGroup::idClicked, this, &PropertiesDialog::UpdateControls);
    connect(unitGroup_, &QButtonGroup::idClicked, this, &PropertiesDialog::UpdateControls);
    connect(findDevice_, &QPushButton::clicked, this, &PropertiesDialog::FindDevice);
    connect(sc64Boot_, &QComboBox::currentIndexChanged, this, &PropertiesDialog::UpdateControls);
    connect(findEd64Device_, &QPushButton::clicked, this, &PropertiesDialog::FindEd64Device);
    connect(previewDir_, &QCheckBox::toggled, this, &PropertiesDialog::UpdateControls);
    connect(surgeon_, &QCheckBox::toggled, this, &PropertiesDialog::UpdateControls);
    connect(browseDir_, &QPushButton::clicked, this, &PropertiesDialog::BrowseFolder);
    connect(browseAscii_, &QPushButton::clicked, this, [this] { BrowseProgram(asciiViewer_); });
    connect(browseBinary_, &QPushButton::clicked, this, [this] { BrowseProgram(binaryViewer_); });
    connect(browseDat_, &QPushButton::clicked, this, [this] { BrowseProgram(datFile_); });

    Fill();
}

QWidget* PropertiesDialog::BuildDeviceGroup() {
    auto* group = new QGroupBox(QStringLiteral(" Hardware Device "), this);
    auto* layout = new QVBoxLayout(group);
    unitGroup_ = new QButtonGroup(this);
    const std::array<QString, 5> names = {QStringLiteral("Doctor64"), QStringLiteral("SPC64/Wildcard"),
                                          QStringLiteral("CD64"), QStringLiteral("SummerCart64 (USB)"),
                                          QStringLiteral("EverDrive-64 (USB)")};
    // A USB cart's serial device under its choice; empty finds it by its USB ids.
    const auto addDeviceRow = [&](QLineEdit*& field, QPushButton*& find) {
        auto* row = new QHBoxLayout;
        row->addWidget(new QLabel(QStringLiteral("Device"), group));
        field = new QLineEdit(group);
        field->setPlaceholderText(QStringLiteral("found automatically"));
        row->addWidget(field, 1);
        find = new QPushButton(QStringLiteral("Find"), group);
        find->setAutoDefault(false);
        row->addWidget(find);
        layout->addLayout(row);
    };
    for (std::size_t i = 0; i < units_.size(); ++i) {
        units_[i] = new QRadioButton(names[i], group);
        unitGroup_->addButton(units_[i], static_cast<int>(i));
        layout->addWidget(units_[i]);
        if (i == kSc64Unit) {
            addDeviceRow(sc64Device_, findDevice_);
            // What the cart does after a send.
            auto* bootRow = new QHBoxLayout;
            bootRow->addWidget(new QLabel(QStringLiteral("Boot"), group));
            sc64Boot_ = new QComboBox(group);
            sc64Boot_->addItems({QStringLiteral("the menu"), QStringLiteral("the image, through the bootloader"),
                                 QStringLiteral("the image, directly")});
            bootRow->addWidget(sc64Boot_, 1);
            bootRow->addWidget(new QLabel(QStringLiteral("TV"), group));
            sc64Tv_ = new QComboBox(group);
            sc64Tv_->addItems({QStringLiteral("the console's own"), QStringLiteral("PAL"), QStringLiteral("NTSC"),
                               QStringLiteral("MPAL")});
            bootRow->addWidget(sc64Tv_);
            layout->addLayout(bootRow);
        }
        if (i == kEd64Unit) addDeviceRow(ed64Device_, findEd64Device_);
    }
    layout->addStretch(1);
    return group;
}

QWidget* PropertiesDialog::BuildPortGroup() {
    auto* group = new QGroupBox(QStringLiteral(" Hardware Port "), this);
    auto* layout = new QGridLayout(group);
    layout->addWidget(new QLabel(QStringLiteral("Parallel"), group), 0, 0, 1, 2);
    layout->addWidget(new QLabel(QStringLiteral("CD64"), group), 0, 2);

    parallelGroup_ = new QButtonGroup(this);
    const std::array<QString, 4> parallelNames = {QStringLiteral("LPT1: Port 0x378"), QStringLiteral("LPT2: Port 0x278"),
                                                  QStringLiteral("LPT3: Port 0x3BC"), QStringLiteral("Custom")};
    for (std::size_t i = 0; i < parallel_.size(); ++i) {
        parallel_[i] = new QRadioButton(parallelNames[i], group);
        parallelGroup_->addButton(parallel_[i], static_cast<int>(i));
        const int row = static_cast<int>(i) + 1;
        if (i + 1 < parallel_.size()) layout->addWidget(parallel_[i], row, 0, 1, 2);
        else layout->addWidget(parallel_[i], row, 0);
    }
    customPort_ = new QLineEdit(group);
    customPort_->setMaximumWidth(80);
    layout->addWidget(customPort_, 4, 1);

    cd64Group_ = new QButtonGroup(this);
    for (std::size_t i = 0; i < cd64_.size(); ++i) {
        cd64_[i] = new QRadioButton(FormatHexAddress(kCd64Ports[i]), group);
        cd64Group_->addButton(cd64_[i], static_cast<int>(i));
        layout->addWidget(cd64_[i], static_cast<int>(i) + 1, 2);
    }
    layout->setColumnMinimumWidth(1, 80);
    layout->setHorizontalSpacing(16);
    layout->setRowStretch(5, 1);
    return group;
}

QWidget* PropertiesDialog::BuildOptionsGroup() {
    auto* group = new QGroupBox(QStringLiteral(" Miscellaneous Options "), this);
    auto* layout = new QGridLayout(group);
    compress_ = new SpinField(group);
    compress_->Edit()->setMaximumWidth(40);
    auto* compressLabel = new QLabel(QStringLiteral("Default Compression Level"), group);
    compressLabel->setBuddy(compress_->Edit());
    layout->addWidget(compressLabel, 0, 0);
    layout->addWidget(compress_, 0, 1, Qt::AlignLeft);

    previewDir_ = new QCheckBox(QStringLiteral("Preview Directories"), group);
    previewCd_ = new QCheckBox(QStringLiteral("Preview CD-ROM's"), group);
    hidden_ = new QCheckBox(QStringLiteral("Show Hidden Files"), group);
    splash_ = new QCheckBox(QStringLiteral("Show Splash Screen"), group);
    backup_ = new QCheckBox(QStringLiteral("Create Backups"), group);
    int row = 1;
    for (QCheckBox* box : {previewDir_, previewCd_, hidden_, splash_, backup_}) layout->addWidget(box, row++, 0, 1, 2);

    surgeon_ = new QCheckBox(QStringLiteral("Surgeon64 Available on port"), group);
    surgeonAddress_ = new QLineEdit(group);
    surgeonAddress_->setMaximumWidth(80);
    layout->addWidget(surgeon_, row, 0);
    layout->addWidget(surgeonAddress_, row, 1);
    layout->setRowStretch(row + 1, 1);
    return group;
}

QWidget* PropertiesDialog::BuildDefaultsGroup() {
    auto* group = new QGroupBox(QStringLiteral(" System Defaults "), this);
    auto* layout = new QGridLayout(group);
    const auto addRow = [&](int row, const QString& label, QLineEdit*& field, QPushButton*& browse) {
        field = new QLineEdit(group);
        browse = new QPushButton(QStringLiteral("Browse"), group);
        browse->setAutoDefault(false);
        auto* text = new QLabel(label, group);
        text->setBuddy(field);
        layout->addWidget(text, row * 2, 0, 1, 2);
        layout->addWidget(field, row * 2 + 1, 0);
        layout->addWidget(browse, row * 2 + 1, 1);
    };
    addRow(0, QStringLiteral("Default Directory"), defaultDir_, browseDir_);
    addRow(1, QStringLiteral("Default ASCII Viewer"), asciiViewer_, browseAscii_);
    addRow(2, QStringLiteral("Default Binary Viewer"), binaryViewer_, browseBinary_);
    addRow(3, QStringLiteral("DAT File"), datFile_, browseDat_);
    layout->setColumnStretch(0, 1);
    layout->setRowStretch(8, 1);
    return group;
}

void PropertiesDialog::Fill() {
    const Settings& s = settings_;
    customPort_->setText(FormatHexAddress(s.OutPortCustom));
    parallel_[static_cast<std::size_t>(ParallelIndexOf(s.OutPort))]->setChecked(true);
    compress_->SetArrowRange(kCompressArrowLow, kCompressMax);
    compress_->SetValue(s.Compress);
    previewDir_->setChecked(s.PreviewDir != 0);
    previewCd_->setChecked(s.PreviewCD != 0);
    surgeon_->setChecked(s.Surgeon != 0);
    surgeonAddress_->setText(FormatHexAddress(s.SurgeonAddress));
    hidden_->setChecked(s.Hidden != 0);
    splash_->setChecked(s.Splash != 0);
    backup_->setChecked(s.Backup != 0);
    sc64Device_->setText(FromStd(s.SC64Device));
    sc64Boot_->setCurrentIndex(IndexOf(kBootModes, s.SC64BootMode, 1));
    sc64Tv_->setCurrentIndex(IndexOf(kTvTypes, s.SC64TvType, 0));
    ed64Device_->setText(FromStd(s.ED64Device));
    // A unit outside 0..4 shows no choice (and is kept unless one is chosen).
    if (s.Unit >= 0 && s.Unit < static_cast<int>(units_.size())) units_[static_cast<std::size_t>(s.Unit)]->setChecked(true);
    defaultDir_->setText(FromStd(s.DefaultDir));
    asciiViewer_->setText(FromStd(s.DefAView));
    binaryViewer_->setText(FromStd(s.DefBView));
    datFile_->setText(FromStd(s.DatFile));
    cd64_[static_cast<std::size_t>(Cd64IndexOf(s.CD64Port))]->setChecked(true);
    folderStart_ = defaultDir_->text();
    UpdateControls();
}

void PropertiesDialog::UpdateControls() {
    SetFieldReadOnly(customPort_, !parallel_[static_cast<std::size_t>(ParallelChoice::Custom)]->isChecked());
    previewCd_->setEnabled(previewDir_->isChecked());
    surgeonAddress_->setEnabled(surgeon_->isChecked());
    const bool sc64 = units_[kSc64Unit]->isChecked();
    sc64Device_->setEnabled(sc64);
    findDevice_->setEnabled(sc64);
    sc64Boot_->setEnabled(sc64);
    // A direct boot skips the bootloader, which is what applies a TV type.
    const bool direct = kBootModes[static_cast<std::size_t>(sc64Boot_->currentIndex())] == kBootDirect;
    if (direct) sc64Tv_->setCurrentIndex(0);
    sc64Tv_->setEnabled(sc64 && !direct);
    ed64Device_->setEnabled(units_[kEd64Unit]->isChecked());
    findEd64Device_->setEnabled(units_[kEd64Unit]->isChecked());
}

void PropertiesDialog::FindDevice() {
    const std::vector<std::string> found = deviceFinder_ ? deviceFinder_() : FindSc64Devices();
    if (found.empty()) {
        message_(this, DialogMessage{QStringLiteral("Quorvel64"),
                                     QStringLiteral("No SummerCart64 found (USB 0403:6014 \"SC64\"): is it plugged in?"),
                                     MessageIcon::Warning});
        return;
    }
    sc64Device_->setText(FromStd(found.front()));
}

void PropertiesDialog::FindEd64Device() {
    const std::vector<std::string> found = ed64DeviceFinder_ ? ed64DeviceFinder_() : FindEd64Devices();
    if (found.empty()) {
        message_(this, DialogMessage{QStringLiteral("Quorvel64"),
                                     QStringLiteral("No EverDrive-64 found (USB 0403:6001 \"FT245R USB FIFO\"): "
                                                    "is its USB cable plugged in?"),
                                     MessageIcon::Warning});
        return;
    }
    ed64Device_->setText(FromStd(found.front()));
}

void PropertiesDialog::BrowseFolder() {
    const QString picked = folderPicker_(this, QStringLiteral("Browse for Folder"), folderStart_);
    if (picked.isEmpty()) return;
    folderStart_ = picked;
    defaultDir_->setText(picked);
}

void PropertiesDialog::BrowseProgram(QLineEdit* field) {
    const QString picked = filePicker_(this, field->text());
    if (!picked.isEmpty()) field->setText(picked);
}

QString PropertiesDialog::PickFolder(QWidget* parent, const QString& title, const QString& start) {
    return QFileDialog::getExistingDirectory(parent, title, start, QFileDialog::ShowDirsOnly);
}

QString PropertiesDialog::PickProgram(QWidget* parent, const QString& start) {
    // Start in the folder of the program named so far, when it names one;
    // otherwise where programs live. Every executable file is offered, whatever its name.
    const QFileInfo current(start);
    const QString folder = current.isAbsolute() ? current.absolutePath() : QStringLiteral("/usr/bin");
    QFileDialog dialog(parent, QStringLiteral("Open"), folder);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog); // the executable filter needs Qt's own dialog
    dialog.setFilter(QDir::AllDirs | QDir::Files | QDir::Executable | QDir::NoDotAndDotDot);
    dialog.setNameFilter(QStringLiteral("Programs (*)"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

void PropertiesDialog::accept() {
    const std::optional<int> level = ParseWholeNumber(compress_->Text());
    if (!level || *level < kCompressMin || *level > kCompressMax) {
        message_(this, level ? IntegerRangeMessage(kCompressMin, kCompressMax) : IntegerMessage());
        compress_->setFocus();
        compress_->Edit()->selectAll();
        return;
    }

    Settings& s = settings_;
    const int customPort = ParseNumberField(customPort_->text());
    const int parallel = parallelGroup_->checkedId();
    s.OutPort = parallel >= 0 && parallel < static_cast<int>(kLptPorts.size())
                    ? kLptPorts[static_cast<std::size_t>(parallel)]
                    : customPort;
    s.OutPortCustom = customPort;
    s.Compress = *level;
    s.PreviewDir = BoxValue(previewDir_, s.PreviewDir);
    s.PreviewCD = BoxValue(previewCd_, s.PreviewCD);
    s.Surgeon = BoxValue(surgeon_, s.Surgeon);
    s.SurgeonAddress = ParseNumberField(surgeonAddress_->text());
    s.DefaultDir = FieldText(defaultDir_, s.DefaultDir);
    s.Backup = BoxValue(backup_, s.Backup);
    if (unitGroup_->checkedId() >= 0) s.Unit = unitGroup_->checkedId();
    s.Hidden = BoxValue(hidden_, s.Hidden);
    s.DefAView = FieldText(asciiViewer_, s.DefAView);
    s.DefBView = FieldText(binaryViewer_, s.DefBView);
    // Empty is allowed: no DAT file.
    s.DatFile = datFile_->text().trimmed().toStdString();
    s.Splash = BoxValue(splash_, s.Splash);
    s.SC64Device = FieldText(sc64Device_, s.SC64Device);
    s.SC64BootMode = kBootModes[static_cast<std::size_t>(sc64Boot_->currentIndex())];
    s.SC64TvType = kTvTypes[static_cast<std::size_t>(sc64Tv_->currentIndex())];
    s.ED64Device = FieldText(ed64Device_, s.ED64Device);
    const int cd64 = cd64Group_->checkedId();
    s.CD64Port = kCd64Ports[static_cast<std::size_t>(cd64 >= 0 ? cd64 : 0)];
    QDialog::accept();
}

} // namespace q64
