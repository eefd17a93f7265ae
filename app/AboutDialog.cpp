#include "app/AboutDialog.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/CreditsScroller.h"

namespace q64 {

QString AboutDialog::CreditsText() {
    return QStringLiteral(
        "logo^|"
        "Version 2.0.7 - 980506\r|"
        " |"
        "Written by\t|"
        "The Fenwold Team\n|"
        " |"
        "group^|"
        " |"
        "Programming\t|"
        "File engine and checksums|"
        "Compression and IPS patching|"
        "Transfers for four kinds of unit|"
        " |"
        "Testing\t|"
        "Everybody who sent a bug report\n|"
        " |"
        "cart^|"
        " |"
        "Thanks to\t|"
        "The zlib authors\r|"
        "The Qt project\r|"
        " |"
        "pad^|"
        " |"
        "Keep your backups!\n|"
        " |"
        " |");
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Quorvel64..."));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    scroller_ = new CreditsScroller(this);
    scroller_->setMinimumSize(400, 205);
    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    frame->setFrameShadow(QFrame::Sunken);
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->setContentsMargins(1, 1, 1, 1);
    frameLayout->addWidget(scroller_);
    layout->addWidget(frame);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->setCenterButtons(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    scroller_->SetText(CreditsText(), QLatin1Char('|'));
    scroller_->SetSpeed(CreditsScroller::Speed::Fast);
    scroller_->Start();
}

} // namespace q64
