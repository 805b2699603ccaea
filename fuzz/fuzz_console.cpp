// Lines typed into the console while an operation waits for an answer: each line of the
// input is submitted in turn. The first byte of a line (when it is a digit 0 to 5) makes
// the operation ask next for Enter/Return, a point, text, an integer, a real number or a
// confirmation; the operation asks again each time it is answered.
#include "fuzzsupport.h"

#include "Core/Operations/commandinterpreter.h"
#include "Core/Operations/operation.h"
#include "Util/vector4d.h"

#include <string>

namespace {

class AskingOperation : public Core::Operations::Operation
{
public:
    explicit AskingOperation(Core::Operations::CommandInterpreter &console)
        : Operation("Fuzz", 0), console(console)
    {
    }

    void ask(int kind)
    {
        switch (kind) {
        case 0:
            console.waitForEnter(this);
            console.setEnterFlag(&done);
            break;
        case 1:
            console.requestPoint(this, &point, &done);
            break;
        case 2:
            console.requestText(this, &text);
            break;
        case 3:
            console.requestInteger(this, &integer, &done);
            break;
        case 4:
            console.requestReal(this, &real, &done);
            break;
        default:
            console.requestConfirm(this, &done);
            break;
        }
    }

    void execute() override { ask(next); }
    void cancel() override { console.reset(); }
    void end() override {}

    int next = 1;

private:
    Core::Operations::CommandInterpreter &console;
    Util::Vector4D point;
    std::string text;
    int32_t integer = 0;
    double real = 0.0;
    bool done = false;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Core::Operations::CommandInterpreter console;
    AskingOperation operation(console);
    operation.execute();
    std::string line;
    for (size_t i = 0; i <= size; ++i) {
        if (i < size && data[i] != '\n') {
            line.push_back(static_cast<char>(data[i]));
            continue;
        }
        if (!line.empty() && line[0] >= '0' && line[0] <= '5')
            operation.next = line[0] - '0';
        console.submit(line);
        line.clear();
    }
    console.reset();
    return 0;
}
