#pragma once
// The system calculator: the first of the usual desktop calculators found on the search
// path, started on its own.
#include <QString>
#include <QStringList>

#include <optional>

namespace calculator {

// In the order they are looked for.
const QStringList& programs();

// The full path of the first of programs() that `searchPath` (a PATH value) holds as an
// executable file.
std::optional<QString> find(const QString& searchPath);

// Starts the calculator found on `searchPath`, detached from this program. False when
// there is none or it could not be started.
bool start(const QString& searchPath);
// The same on this process's PATH.
bool start();

}  // namespace calculator
