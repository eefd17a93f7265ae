#pragma once
// The tool bar: ten pictures for the commands, separators, and the filter
// combo (control 61205) where the "Image Filter" button would be. It may dock
// at the top or the bottom edge.

#include <QToolBar>

#include <QKeySequence>

class QComboBox;

namespace q64 {

// Puts the keyboard focus on the filter combo and opens its list.
inline const QKeySequence kFilterShortcut(Qt::CTRL | Qt::Key_L);

class CommandActions;

class MainToolBar : public QToolBar {
    Q_OBJECT
public:
    MainToolBar(const CommandActions& actions, QWidget* parent = nullptr);
    QComboBox* FilterCombo() const { return combo_; }

private:
    QComboBox* combo_ = nullptr;
};

} // namespace q64
