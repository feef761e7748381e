#pragma once
// Text in images and files is 8-bit Windows-1252; widgets speak QString. These two functions are
// the one crossing between them.

#include <QString>

class QLineEdit;
#include <string>

namespace kvr::platform {

QString fromCp1252(const std::string& text);
// Characters that Windows-1252 cannot hold become '?'.
std::string toCp1252(const QString& text);

// A field whose text goes into a record refuses what Windows-1252 cannot hold: such a
// character typed or pasted is not taken, so nothing is stored as something else.
void RefuseBeyondCp1252(QLineEdit* Edit);

} // namespace kvr::platform
