#include "UI/mainwindow.h"

#include <QLabel>

namespace Ui {

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Kelvane  "));
    setAttribute(Qt::WA_DeleteOnClose);
    auto *label = new QLabel(tr("Kelvane"), this);
    label->setAlignment(Qt::AlignCenter);
    setCentralWidget(label);
}

} // namespace Ui
