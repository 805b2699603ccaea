#pragma once

#include "Util/iobserver.h"

#include <QObject>

namespace Ui {
namespace Observers {

// Tells the window that the undo or the redo stack may have changed.
class UndoRedoObserver : public QObject, public Util::IObserver
{
    Q_OBJECT
public:
    using QObject::QObject;
    void update() override { emit stackChanged(); }

signals:
    void stackChanged();
};

} // namespace Observers
} // namespace Ui
