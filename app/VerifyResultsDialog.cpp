#include "app/VerifyResultsDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace q64 {

namespace {
QString Name(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return QString::fromStdString(slash == std::string::npos ? path : path.substr(slash + 1));
}
} // namespace

QStringList VerifyResultsDialog::RowTexts(const VerifyRow& row) {
    QString note;
    if (row.ChecksumInvalidButGood()) note = QStringLiteral("Header checksum invalid as released (do not fix)");
    else if (row.outcome == VerifyOutcome::NotImage || row.outcome == VerifyOutcome::Unreadable)
        note = QString::fromStdString(row.message);
    return {Name(row.path), QString::fromLatin1(OutcomeText(row.outcome)), QString::fromStdString(row.game), note};
}

VerifyResultsDialog::VerifyResultsDialog(const std::vector<VerifyRow>& rows, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Verify Images"));
    table_ = new QTreeWidget(this);
    table_->setRootIsDecorated(false);
    table_->setHeaderLabels({QStringLiteral("File"), QStringLiteral("Result"), QStringLiteral("DAT Name"),
                             QStringLiteral("Note")});
    int good = 0;
    for (const VerifyRow& row : rows) {
        new QTreeWidgetItem(table_, RowTexts(row));
        good += row.outcome == VerifyOutcome::Good;
    }
    table_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    auto* summary = new QLabel(QStringLiteral("%1 of %2 Files Good").arg(good).arg(rows.size()), this);

    auto* buttons = new QDialogButtonBox(this);
    rename_ = buttons->addButton(QStringLiteral("Rename to DAT Names"), QDialogButtonBox::AcceptRole);
    rename_->setEnabled(good > 0);
    buttons->addButton(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addWidget(summary);
    layout->addWidget(buttons);
    resize(640, 360);
}

} // namespace q64
