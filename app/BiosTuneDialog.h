#pragma once
// "Tune BIOS Parameters": one slider per display parameter of a Doctor V64
// BIOS file, each with a read-only text showing its value as "%#x", a button
// that switches the first colour component between red and green, and a live
// colour swatch. The dialog only edits values: the caller reads them from the
// file before and writes them back after OK (GetBiosColour, GetBiosPosition,
// SetBiosParameters).
//
// The texts are the dialog's state: the values are parsed from them, so a
// value read from the file outside a slider's range (the slider then shows
// its nearest end) comes back unchanged unless that slider is moved.

#include <QColor>
#include <QDialog>
#include <QString>
#include <array>

#include "engine/BiosParameters.h"

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace q64 {

class BiosTuneDialog : public QDialog {
    Q_OBJECT
public:
    enum class Slider : int { Vertical = 0, Horizontal = 1, Colour = 2, Blue = 3 };
    // Slider ranges: positions 0..31, colour components 0..63.
    static constexpr int kMaxPosition = 31;
    static constexpr int kMaxColour = 63;

    BiosTuneDialog(const BiosColour& colour, const BiosPosition& position, QWidget* parent = nullptr);

    // The chosen values (after OK; during the dialog, the current ones).
    BiosColour Colour() const;
    BiosPosition Position() const;

    // What the dialog shows, for the caller's checks and the tests.
    QSlider* SliderFor(Slider which) const { return sliders_[Index(which)]; }
    QString ValueText(Slider which) const;
    QString ColourLabel() const;
    QColor SwatchColour() const;
    QPushButton* ToggleButton() const { return toggle_; }

private:
    static constexpr int kSliderCount = 4;
    static int Index(Slider which) { return static_cast<int>(which); }

    void SliderMoved(Slider which, int position);
    void ToggleRedGreen();
    void ParseTexts();
    void PaintSwatch();

    std::array<QSlider*, kSliderCount> sliders_{};
    std::array<QLineEdit*, kSliderCount> texts_{};
    std::array<int, kSliderCount> values_{};
    ColourComponent component_ = ColourComponent::Green;
    QLabel* colourLabel_ = nullptr;
    QPushButton* toggle_ = nullptr;
    QFrame* swatch_ = nullptr;
};

} // namespace q64
