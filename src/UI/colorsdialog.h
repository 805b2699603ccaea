#pragma once

#include "Util/vector4d.h"

#include <QDialog>

class QPushButton;

namespace Ui {

// Four window colours of one scheme: the built-in default, the low scheme, or the
// user's own as soon as a swatch is changed.
class ColorsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ColorsDialog(QWidget *parent = nullptr);

    Util::ColorVariant variant() const { return currentVariant; }
    // Background, grid, object and outline colour as shown.
    Util::Vector4D color(int swatch) const { return colors[swatch]; }
    QPushButton *swatchButton(int swatch) const { return swatches[swatch]; }
    // Gives the swatch a colour as if the user had picked it.
    void setSwatchColor(int swatch, const Util::Vector4D &color);

public slots:
    void loadDefaultColors();
    void loadLowColorScheme();

private:
    void loadVariant(Util::ColorVariant variant);
    void pickColor(int swatch);
    void showSwatch(int swatch);

    Util::ColorVariant currentVariant;
    Util::Vector4D colors[4];
    QPushButton *swatches[4];
};

} // namespace Ui
