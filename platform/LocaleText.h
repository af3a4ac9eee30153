#pragma once

#include <QString>

#include <string>

// The system's texts are 8-bit strings in the code page of the user's locale (the one DegreeSign
// follows); widgets want Unicode. These convert at that boundary.
QString ToQString(const std::string& text);
std::string FromQString(const QString& text);
