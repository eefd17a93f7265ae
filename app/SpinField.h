#pragma once
// A number field with an up-down arrow pair beside it. Unlike QSpinBox the
// field is free text: the arrows (and the Up/Down keys in the field) step the
// number by one within their range, but the user may type anything, and the
// dialog's OK handler decides what it accepts. So a range of 1..9 still lets
// the user type 0, and a field can be checked for "not a number" on OK.

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace q64 {

class SpinField : public QWidget {
    Q_OBJECT
public:
    explicit SpinField(QWidget* parent = nullptr);

    // The arrows' range. The up arrow steps towards `upEnd`, the down arrow
    // towards `downEnd`; either may be the larger, so (256, 2) makes the up
    // arrow count down. Equal ends pin the arrows to that one value.
    void SetArrowRange(int downEnd, int upEnd);
    int DownEnd() const { return downEnd_; }
    int UpEnd() const { return upEnd_; }

    // Shows `value` in the field.
    void SetValue(int value);
    QString Text() const;
    void SetText(const QString& text);

    // A read-only field still shows the arrows; they then only move within the range.
    void SetReadOnly(bool readOnly);
    bool IsReadOnly() const;

    // One step of the up or down arrow: the field's number (the down end when
    // the field holds no number) moved by one towards that end and kept
    // inside the range.
    void StepUp();
    void StepDown();

    QLineEdit* Edit() const { return edit_; }
    QToolButton* UpButton() const { return up_; }
    QToolButton* DownButton() const { return down_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void StepTowards(int end);

    QLineEdit* edit_ = nullptr;
    QToolButton* up_ = nullptr;
    QToolButton* down_ = nullptr;
    int downEnd_ = 0;
    int upEnd_ = 100;
};

} // namespace q64
