#include "app/FilenameDialog.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/DialogButtons.h"

namespace q64 {

FilenameDialog::FilenameDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Enter New Filename"));
    setMinimumWidth(CaptionWidth(windowTitle()));
    setModal(true);
    field_ = new QLineEdit(this);
    field_->setMinimumWidth(260);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(field_);
    layout->addWidget(MakeOkCancelButtons(this));
}

void FilenameDialog::SetFilename(const QString& name) {
    field_->setText(name);
    field_->selectAll();
}

QString FilenameDialog::Filename() const { return field_->text(); }

} // namespace q64
