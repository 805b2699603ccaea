#pragma once

#include <QObject>
#include <QString>

class QAction;
class QSignalMapper;

namespace Ui {

// Maps actions to strings (an operation number or a view name) and emits the string
// when the action is triggered.
class OperationMapper : public QObject
{
    Q_OBJECT
public:
    explicit OperationMapper(QObject *parent = nullptr);

    void registerAction(QAction *action, const QString &operationId);

signals:
    void activated(const QString &operationId);

private:
    QSignalMapper *mapper;
};

} // namespace Ui
