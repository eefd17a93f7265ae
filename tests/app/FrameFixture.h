#pragma once
// A main frame over a temporary folder of samples and a temporary settings
// store, with a stand-in volume list (no watchers) and messages collected
// instead of shown: the commands' boxes and dialogs answer from a script and
// the transfers reach an empty simulated bus.

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QSettings>
#include <QStringList>
#include <memory>

#include "app/MainFrame.h"
#include "settings/SettingsStore.h"
#include "browser/qt/FileListTableModel.h"
#include "browser/qt/FileListView.h"
#include "browser/qt/MainView.h"
#include "support/ScriptedCommandUi.h"
#include "support/TempDir.h"
#include "transfer/SimulatedPortBackend.h"

namespace q64::test {

class FrameFixture : public ::testing::Test {
protected:
    void SetUp() override {
        sampleCount = static_cast<int>(samples::WriteSampleSet(files.Path()).size());
        ASSERT_GT(sampleCount, 0);
        Put("DefaultDir", QString::fromStdString(files.Path()));
        Put("Splash", 0);
    }
    void TearDown() override { Close(); }

    QString Ini() const { return QString::fromStdString(storeDir.File("Quorvel64.ini")); }
    void Put(const char* key, const QVariant& value) {
        QSettings raw(Ini(), QSettings::IniFormat);
        raw.setValue(QStringLiteral("Initialization/") + key, value);
    }
    QVariant Get(const char* key) const {
        QSettings raw(Ini(), QSettings::IniFormat);
        return raw.value(QStringLiteral("Initialization/") + key);
    }

    MainFrame& Open(int osKind = 0, FolderTree::Watching watching = FolderTree::Watching::Off) {
        Close();
        store = std::make_unique<SettingsStore>(Ini());
        frame = std::make_unique<MainFrame>(*store);
        frame->SetCommandUi(ui);
        frame->SetPortBackend(bus);
        listTester = std::make_unique<QAbstractItemModelTester>(
            frame->View()->TableModel(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        frame->Start({Volume{files.Path(), "", "", VolumeKind::Fixed}}, watching);
        frame->SetOsKind(osKind);
        return *frame;
    }
    // Closes through the window, as a user does, so the settings are written.
    void Close() {
        if (frame) frame->close();
        listTester.reset();
        frame.reset();
        store.reset();
    }

    QStringList RowNames() const {
        QStringList names;
        const FileListTableModel* table = frame->View()->TableModel();
        for (int r = 0; r < table->rowCount(); ++r) names << table->data(table->index(r, 0)).toString();
        return names;
    }
    QStringList Column(int column) const {
        QStringList texts;
        const FileListTableModel* table = frame->View()->TableModel();
        for (int r = 0; r < table->rowCount(); ++r) texts << table->data(table->index(r, column)).toString();
        return texts;
    }
    // Selects the row as a click would; false when the file is not listed.
    bool SelectFile(const QString& name) {
        const int row = static_cast<int>(RowNames().indexOf(name));
        if (row < 0) return false;
        FileListView* list = frame->View()->List();
        list->selectionModel()->setCurrentIndex(frame->View()->TableModel()->index(row, 0),
                                                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        return true;
    }
    bool Enabled(CommandId id) const;

    TempDir files;
    TempDir storeDir;
    std::unique_ptr<SettingsStore> store;
    std::unique_ptr<MainFrame> frame;
    std::unique_ptr<QAbstractItemModelTester> listTester;
    ScriptedCommandUi ui;
    SimulatedPortBackend bus;
    int sampleCount = 0;
};

} // namespace q64::test
