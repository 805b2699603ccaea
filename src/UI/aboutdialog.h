#pragma once

#include <QDialog>

namespace Ui {

// A short description of the program.
class AboutDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AboutDialog(QWidget *parent = nullptr);
};

} // namespace Ui
