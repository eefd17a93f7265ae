#include "app/BiosTuneDialog.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "engine/ParseNumber.h"

namespace q64 {

namespace {

QString FormatValue(int value) { return QString::fromStdString(FormatBiosValue(value)); }

} // namespace

BiosTuneDialog::BiosTuneDialog(const BiosColour& colour, const BiosPosition& position, QWidget* parent)
    : QDialog(parent), component_(colour.component) {
    setWindowTitle(QStringLiteral("Tune BIOS Parameters"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    layout->addLayout(grid);
    const struct {
        Slider which;
        const char* label;
        int maximum;
        int value;
    } rows[kSliderCount] = {
        {Slider::Vertical, "Vertical Position", kMaxPosition, position.vertical},
        {Slider::Horizontal, "Horizontal Position", kMaxPosition, position.horizontal},
        {Slider::Colour, ComponentName(colour.component), kMaxColour, colour.value},
        {Slider::Blue, "Blue", kMaxColour, colour.blue},
    };
    for (int row = 0; row < kSliderCount; ++row) {
        const int i = Index(rows[row].which);
        auto* label = new QLabel(QString::fromLatin1(rows[row].label), this);
        if (rows[row].which == Slider::Colour) colourLabel_ = label;
        auto* slider = new QSlider(Qt::Horizontal, this);
        slider->setRange(0, rows[row].maximum);
        slider->setPageStep(4);
        slider->setTickPosition(QSlider::TicksBelow);
        slider->setTickInterval(rows[row].maximum > kMaxPosition ? 8 : 4);
        slider->setMinimumWidth(200);
        label->setBuddy(slider);
        auto* text = new QLineEdit(this);
        text->setReadOnly(true);
        text->setFocusPolicy(Qt::NoFocus);
        text->setFixedWidth(text->fontMetrics().horizontalAdvance(QStringLiteral("0x0000")) + 12);
        text->setAlignment(Qt::AlignRight);
        text->setText(FormatValue(rows[row].value));
        grid->addWidget(label, row, 0);
        grid->addWidget(slider, row, 1);
        grid->addWidget(text, row, 2);
        sliders_[i] = slider;
        texts_[i] = text;
    }
    // The sliders start at the numbers their texts hold (out-of-range values
    // show at the nearest end); only a move by the user rewrites a text.
    for (int i = 0; i < kSliderCount; ++i) sliders_[i]->setValue(parse_number(texts_[i]->text().toStdString()));
    ParseTexts();

    auto* colourRow = new QHBoxLayout;
    toggle_ = new QPushButton(QStringLiteral("Toggle Red/Green"), this);
    toggle_->setAutoDefault(false);
    swatch_ = new QFrame(this);
    swatch_->setFrameShape(QFrame::Box);
    swatch_->setFrameShadow(QFrame::Sunken);
    swatch_->setLineWidth(1);
    swatch_->setMinimumSize(96, 32);
    swatch_->setAutoFillBackground(true);
    colourRow->addWidget(toggle_);
    colourRow->addStretch(1);
    colourRow->addWidget(swatch_);
    layout->addLayout(colourRow);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel"));
    layout->addWidget(buttons);

    for (int i = 0; i < kSliderCount; ++i) {
        const auto which = static_cast<Slider>(i);
        connect(sliders_[i], &QSlider::valueChanged, this, [this, which](int value) { SliderMoved(which, value); });
    }
    connect(toggle_, &QPushButton::clicked, this, &BiosTuneDialog::ToggleRedGreen);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    PaintSwatch();
}

BiosColour BiosTuneDialog::Colour() const {
    BiosColour colour;
    colour.value = values_[Index(Slider::Colour)];
    colour.blue = values_[Index(Slider::Blue)];
    colour.component = component_;
    return colour;
}

BiosPosition BiosTuneDialog::Position() const {
    return BiosPosition{values_[Index(Slider::Vertical)], values_[Index(Slider::Horizontal)]};
}

QString BiosTuneDialog::ValueText(Slider which) const { return texts_[Index(which)]->text(); }

QString BiosTuneDialog::ColourLabel() const { return colourLabel_->text(); }

QColor BiosTuneDialog::SwatchColour() const {
    const SwatchRgb rgb = BiosSwatchColour(Colour());
    return QColor(rgb.red, rgb.green, rgb.blue);
}

void BiosTuneDialog::SliderMoved(Slider which, int position) {
    texts_[Index(which)]->setText(FormatValue(position));
    ParseTexts();
    PaintSwatch();
}

void BiosTuneDialog::ToggleRedGreen() {
    component_ = component_ == ColourComponent::Red ? ColourComponent::Green : ColourComponent::Red;
    colourLabel_->setText(QString::fromLatin1(ComponentName(component_)));
    PaintSwatch();
}

void BiosTuneDialog::ParseTexts() {
    for (int i = 0; i < kSliderCount; ++i) values_[i] = parse_number(texts_[i]->text().toStdString());
}

void BiosTuneDialog::PaintSwatch() {
    QPalette palette = swatch_->palette();
    palette.setColor(QPalette::Window, SwatchColour());
    swatch_->setPalette(palette);
}

} // namespace q64
