#pragma once

#include <QByteArray>
#include <QString>

namespace lab {

// Finds a key given twice in one object of a JSON text, which a JSON document object would
// silently reduce to its last value. Returns the key's path ("users[2].cn"), or a null string
// when every object's keys differ. Expects text that parses as JSON.
QString firstDuplicateKey(const QByteArray &json);

} // namespace lab
