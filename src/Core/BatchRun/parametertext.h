#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

namespace Core {
namespace BatchRun {

// Reading one process parameter from text, and the texts that refuse a value, shared by
// every place a user sets a single parameter by hand (kelvane-batch --set, the Python
// module), so that each says the same thing about the same value.

// `text` read as the type of `current` (the parameter's value in the list); false with
// the reason when it is not one. A material-id parameter also takes a material name,
// and only names a material of the catalogue.
bool parseParameterText(const QString &name, const QVariant &current, const QString &text, QVariant *value,
                        QString *reason);

// The id of the catalogue material `text` names, by id or by name; false with the reason
// when the catalogue has none.
bool materialIdFromText(const QString &text, uint32_t *id, QString *reason);

// `text` in double quotes.
QString quotedText(const QString &text);

// "<step> reads no parameter "<name>"; the parameters it reads are <names>"
QString readsNoParameterText(const QString &step, const QString &parameter, const QStringList &quotedNames);
// "<value> is not a value for "<name>" of <step>: <reason>"
QString notAValueText(const QString &value, const QString &parameter, const QString &step, const QString &reason);
// "<step> does not take this value: <why>" ("these values" when `several`)
QString doesNotTakeText(const QString &step, bool several, const QString &why);

} // namespace BatchRun
} // namespace Core
