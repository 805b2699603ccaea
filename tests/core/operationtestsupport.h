#pragma once

// Shared by the operation tests: a log of the interpreter's messages, a stand-in for an
// options dialog, a factory of one operation, and process-list steps.
#include "Core/BatchRun/processdata.h"
#include "Core/Operations/commandinterpreter.h"
#include "Core/Operations/operation.h"
#include "Core/Operations/operationcontext.h"
#include "Core/Processes/describedprocessoperation.h"
#include "Core/Processes/processregistry.h"
#include "Util/iobserver.h"

#include <algorithm>
#include <memory>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace OperationTest {

// Keeps every message the interpreter reports.
struct Log : Util::IObserver
{
    explicit Log(Core::Operations::CommandInterpreter &i) : i(i) {}
    void update() override { lines.push_back(i.getLastMessage()); }
    bool contains(const std::string &line) const { return std::find(lines.begin(), lines.end(), line) != lines.end(); }
    Core::Operations::CommandInterpreter &i;
    std::vector<std::string> lines;
};

// Stands in for an options dialog: hands values to the operation, or none (rejected).
struct Options : Util::IObserver
{
    explicit Options(std::function<void()> accept) : accept(std::move(accept)) {}
    void update() override
    {
        if (accept)
            accept();
    }
    std::function<void()> accept;
};

// Creates the operation `make` returns for number 1, nothing for any other number.
struct OneOperation : Core::Operations::IOperationFactory
{
    std::function<Core::Operations::OperationPtr()> make;
    Core::Operations::OperationPtr create(int32_t typeId) override { return typeId == 1 ? make() : nullptr; }
};

// A context whose menu makes the factory's one operation, with its messages logged; a
// base for test fixtures.
struct OperationHarness
{
    OperationHarness()
    {
        context.interpreter.addMessageObserver(log);
        context.setFactory(factory);
    }

    Core::Operations::OperationContext context;
    std::shared_ptr<OneOperation> factory = std::make_shared<OneOperation>();
    std::shared_ptr<Log> log = std::make_shared<Log>(context.interpreter);
};

// A process-list step of the given type with its parameters set.
inline Core::BatchRun::ProcessData step(int32_t type, std::initializer_list<std::pair<const char *, QVariant>> values)
{
    Core::BatchRun::ProcessData s(type);
    for (const auto &v : values)
        s.setParameter(QString::fromLatin1(v.first), v.second, true);
    return s;
}

// Runs the menu operation of the process of list type `batchType`, its dialog handing it
// `values`.
inline void runDescribedOperation(Core::Operations::OperationContext &context, int32_t batchType,
                                  const Core::Processes::ParameterSet &values)
{
    auto op = std::make_shared<Core::Processes::DescribedProcessOperation>(
        context, *Core::Processes::ProcessRegistry::instance().byBatchType(batchType));
    std::weak_ptr<Core::Processes::DescribedProcessOperation> weak = op;
    op->setOptionsObserver(std::make_shared<Options>([weak, values] { weak.lock()->setParameters(values); }));
    op->execute();
}

} // namespace OperationTest
