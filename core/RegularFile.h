#pragma once
#include <QString>

class QFile;

// Opens a station file for reading only when it is a regular file. A named pipe or a device in
// its place would hold the open (or the read) until someone writes to it, with the program
// unable to go on or to stop; such a file is refused at once instead.
enum class RegularFileOpen { Opened, Failed, NotRegular };
RegularFileOpen OpenRegularFile(QFile& file, const QString& path);
