#include "UI/savefilechooser.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace Ui {

QString withSuffix(const QString &name, const QString &suffix)
{
    if (name.isEmpty() || !QFileInfo(name).suffix().isEmpty())
        return name;
    return name + QLatin1Char('.') + suffix;
}

QString chooseSaveFile(QWidget *parent, const QString &caption, const QString &start, const QString &filter,
                       const QString &suffix)
{
    const QString chosen = QFileDialog::getSaveFileName(parent, caption, start, filter);
    const QString name = withSuffix(chosen, suffix);
    // The dialog asked about replacing the name as typed, not the completed one.
    if (name != chosen && QFileInfo::exists(name) &&
        QMessageBox::warning(parent, caption,
                             QFileDialog::tr("%1 already exists.\nDo you want to replace it?")
                                 .arg(QFileInfo(name).fileName()),
                             QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
        return QString();
    return name;
}

} // namespace Ui
