#pragma once

#include "Util/iobserver.h"

#include <QObject>

namespace Ui {
namespace Observers {

// Turns the context's update notifications into a Qt signal for the 3-D view.
class UpdateObserver : public QObject, public Util::IObserver
{
    Q_OBJECT
public:
    explicit UpdateObserver(QObject *parent = nullptr);

    void update() override;

signals:
    void updateGL();
};

} // namespace Observers
} // namespace Ui
