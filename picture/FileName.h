#pragma once

#include <QByteArray>
#include <QString>

namespace tovik {

// A file name as the file system has it, byte for byte, shown to the user:
// valid UTF-8 as its characters, every other byte as \xHH.
QString ShownFileName(const QByteArray& nativeName);

}  // namespace tovik
