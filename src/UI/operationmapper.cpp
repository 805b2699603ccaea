#include "UI/operationmapper.h"

#include <QAction>
#include <QSignalMapper>

namespace Ui {

OperationMapper::OperationMapper(QObject *parent) : QObject(parent), mapper(new QSignalMapper(this))
{
    connect(mapper, &QSignalMapper::mappedString, this, &OperationMapper::activated);
}

void OperationMapper::registerAction(QAction *action, const QString &operationId)
{
    connect(action, &QAction::triggered, mapper, QOverload<>::of(&QSignalMapper::map));
    mapper->setMapping(action, operationId);
}

} // namespace Ui
