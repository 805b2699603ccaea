#include "UI/aboutdialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace Ui {

AboutDialog::AboutDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(tr("About Kelvane"));
    auto *text = new QLabel(tr(
        "<h3>Kelvane</h3>"
        "<p>A simulator of micro-fabrication (MEMS) process steps.</p>"
        "<p>Build a block of cells, fill part of it with a substrate and apply process steps "
        "one after another: deposition and etching, physical vapour deposition, "
        "electroplating, photolithography, wet and reactive-ion etching, spin coating, "
        "planarization, doping, oxidation, gluing, film extraction and cuts. Each step is a "
        "cellular automaton over the cells; the result is drawn in an interactive 3-D view.</p>"
        "<p>Documents and process lists are saved as XML; process lists can be run as a "
        "batch, also without a window by <tt>kelvane-batch</tt>.</p>"));
    text->setWordWrap(true);
    text->setFixedWidth(420);
    text->setTextFormat(Qt::RichText);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::accept);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(buttons);
    // The wrapped text decides the height.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace Ui
