#pragma once
// "Enter New Filename": asks for a file name; any text is accepted.

#include <QDialog>

class QLineEdit;

namespace q64 {

class FilenameDialog : public QDialog {
    Q_OBJECT
public:
    explicit FilenameDialog(QWidget* parent = nullptr);

    // Presets the field (empty otherwise).
    void SetFilename(const QString& name);
    // The text of the field (the result once the dialog closed with OK).
    QString Filename() const;

    QLineEdit* Field() const { return field_; }

private:
    QLineEdit* field_ = nullptr;
};

} // namespace q64
