#pragma once
// The small modeless window of a long operation: its caption, a percentage
// text, a progress bar and a Cancel button. While it exists its owner (the
// main window) is disabled, so Cancel is the only input the user can give.
//
// Contract with the operation: the operation calls SetPos and CheckCancel
// (through the ProgressFn of OperationCallbacks.h) from the user-interface
// thread; both first process every pending event, which keeps the windows
// painted and lets the Cancel button be noticed. Cancel only raises a flag;
// the window stays until Destroy().

#include <QDialog>
#include <QPointer>

class QLabel;
class QProgressBar;
class QPushButton;

namespace q64 {

// Caption ids of the commands that show a progress window.
namespace progress_caption {
constexpr int kDefault = 103;
constexpr int kCompressing = 61204;
constexpr int kDeCompressing = 61206;
constexpr int kByteFlipping = 61207;
constexpr int kReSize = 61208;
constexpr int kReceiving = 61209;
constexpr int kSending = 61210;
constexpr int kVerifying = 61211;
constexpr int kCalculatingCrc = 61212;
constexpr int kDeleting = 61213;
constexpr int kCreatingPatch = 61214;
} // namespace progress_caption

class ProgressDialog : public QDialog {
    Q_OBJECT
public:
    // Keeps the caption id (0 means the default caption 103), the range 0..100
    // and the step 10. No window is shown until Create().
    explicit ProgressDialog(int captionId = 0);
    // Destroys the window if it still exists (re-enabling the owner).
    ~ProgressDialog() override;

    // The caption text of a caption id; unknown ids give the default caption.
    static QString CaptionText(int captionId);
    // The percentage text for `pos` in lower..upper: (pos - lower) * 100 /
    // (upper - lower), shown as that number and "%", the number taken modulo
    // 100 unless it is exactly 100. An empty range counts as 0.
    static QString PercentText(int pos, int lower, int upper);

    // Shows the window. `owner` is any widget of the owning window; with none,
    // the program's main window is the owner. An enabled owner is disabled
    // and re-enabled by Destroy(). The bar starts at the lower bound and the
    // window title is the caption text. Returns false (owner enabled again)
    // when the window cannot be shown. While the window exists it is a child
    // window of the owner, so the owner must outlive it.
    bool Create(QWidget* owner = nullptr);
    // Re-enables the owner if Create() disabled it, then closes the window.
    void Destroy();
    bool IsCreated() const { return created_; }

    void SetRange(int lower, int upper);
    // Returns the previous step.
    int SetStep(int step);
    // Processes pending events, moves the bar to `pos`, updates the percentage
    // text (only when it changes) and returns the previous position.
    int SetPos(int pos);
    // Processes pending events, then returns whether Cancel was pressed since
    // the last call, and clears that.
    bool CheckCancel();

    int CaptionId() const { return captionId_; }
    int Lower() const { return lower_; }
    int Upper() const { return upper_; }
    int Step() const { return step_; }
    int Pos() const { return pos_; }
    QWidget* Owner() const { return owner_; }
    QString ShownPercent() const;
    QPushButton* CancelButton() const { return cancel_; }
    QProgressBar* Bar() const { return bar_; }

    // Escape and the window's close button count as Cancel; the window stays.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void OnCancel();
    static void ProcessPendingEvents();

    int captionId_;
    int lower_ = 0;
    int upper_ = 100;
    int step_ = 10;
    int pos_ = 0;
    bool cancelled_ = false;
    bool created_ = false;
    QPointer<QWidget> owner_;
    bool ownerDisabledByUs_ = false;
    QLabel* percent_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

} // namespace q64
