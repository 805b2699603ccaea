#include "UI/operationfactory.h"

#include "Core/Operations/CreateSubstrate/createsubstrateoperation.h"
#include "Core/Operations/operationcontext.h"
#include "UI/Observers/createsubstrateobserver.h"

#include <memory>

namespace Ui {

using namespace Core::Operations;

namespace {

template <class Op, class Obs>
OperationPtr withObserver(std::shared_ptr<Op> operation, std::shared_ptr<Obs> observer)
{
    operation->setOptionsObserver(std::move(observer));
    return operation;
}

} // namespace

OperationFactory::OperationFactory(OperationContext &context, QWidget *mainWindow)
    : context(context), mainWindow(mainWindow)
{
}

OperationPtr OperationFactory::create(int32_t typeId)
{
    switch (typeId) {
    case 2:
        return withObserver(std::make_shared<CreateSubstrateOperation>(context),
                            std::make_shared<Observers::CreateSubstrateObserver>(context, mainWindow));
    default:
        // 0, 5, 21, 25 and numbers outside the table; operations not built yet.
        return nullptr;
    }
}

} // namespace Ui
