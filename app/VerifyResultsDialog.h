#pragma once
// The results of "Verify Images": per file the result, the DAT's game name
// and a note for a good image whose header checksum is invalid as released.
// "Rename to DAT Names" closes it with Accepted; "Close" with Rejected.

#include <QDialog>
#include <vector>

#include "browser/VerifyImages.h"

class QPushButton;
class QTreeWidget;

namespace q64 {

class VerifyResultsDialog : public QDialog {
    Q_OBJECT
public:
    VerifyResultsDialog(const std::vector<VerifyRow>& rows, QWidget* parent);

    QTreeWidget* Table() const { return table_; }
    QPushButton* RenameButton() const { return rename_; }
    // The text each column shows for a row (tests read these).
    static QStringList RowTexts(const VerifyRow& row);

private:
    QTreeWidget* table_ = nullptr;
    QPushButton* rename_ = nullptr;
};

} // namespace q64
