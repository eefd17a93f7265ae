// The results of Verify Images: what each row shows and the rename button.

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTreeWidget>

#include "app/VerifyResultsDialog.h"

namespace q64 {
namespace {

VerifyRow Row(const char* path, VerifyOutcome outcome, const char* game, bool checksumValid = true) {
    VerifyRow row;
    row.path = path;
    row.outcome = outcome;
    row.game = game;
    row.hashes.hasChecksum = true;
    row.hashes.checksumValid = checksumValid;
    return row;
}

TEST(VerifyResultsDialog, RowsShowResultGameAndTheChecksumNote) {
    const std::vector<VerifyRow> rows = {Row("/r/a.z64", VerifyOutcome::Good, "Game A (E)", false),
                                         Row("/r/b.v64", VerifyOutcome::Bad, "Game B (U)"),
                                         Row("/r/c.n64", VerifyOutcome::Unknown, "")};
    VerifyResultsDialog dialog(rows, nullptr);
    ASSERT_EQ(dialog.Table()->topLevelItemCount(), 3);
    EXPECT_EQ(VerifyResultsDialog::RowTexts(rows[0]),
              (QStringList{"a.z64", "good", "Game A (E)", "Header checksum invalid as released (do not fix)"}));
    EXPECT_EQ(VerifyResultsDialog::RowTexts(rows[1]), (QStringList{"b.v64", "bad", "Game B (U)", ""}));
    EXPECT_EQ(VerifyResultsDialog::RowTexts(rows[2]), (QStringList{"c.n64", "unknown", "", ""}));
    EXPECT_TRUE(dialog.RenameButton()->isEnabled());
    EXPECT_EQ(dialog.RenameButton()->text(), QStringLiteral("Rename to DAT Names"));
}

TEST(VerifyResultsDialog, NothingGoodOffersNoRename) {
    VerifyResultsDialog dialog({Row("/r/c.n64", VerifyOutcome::Unknown, "")}, nullptr);
    EXPECT_FALSE(dialog.RenameButton()->isEnabled());
}

} // namespace
} // namespace q64
