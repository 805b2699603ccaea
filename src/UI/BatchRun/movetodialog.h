#pragma once

#include <QDialog>
#include <QString>
#include <QVariant>

class QComboBox;
class QRadioButton;

namespace UtilDialog {

// Asks where a step goes: a list of target steps and whether the step goes after
// (the preset) or before the chosen one.
class MoveTo : public QDialog
{
    Q_OBJECT
public:
    explicit MoveTo(QWidget *parent = nullptr);

    // One target: its text and its data (the step's id).
    void addTarget(const QString &text, const QVariant &data);
    // The chosen target's data; invalid when the list is empty.
    QVariant target() const;
    bool after() const;

    QComboBox *targetBox() const { return targets; }
    QRadioButton *afterButton() const { return afterChoice; }
    QRadioButton *beforeButton() const { return beforeChoice; }

private:
    QComboBox *targets;
    QRadioButton *afterChoice;
    QRadioButton *beforeChoice;
};

} // namespace UtilDialog
