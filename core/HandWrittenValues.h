#pragma once
#include <QHash>
#include <QString>

// The values of an INI settings file that QSettings would not read as they were written: text
// typed by hand with a comma (QSettings reads a list of the parts, and an empty string for it) or
// a semicolon (QSettings cuts the value there, as if a comment began). Returned exactly as they
// stand in the file, without the blanks around them, keyed "section/key" with the names decoded as
// QSettings decodes them (%20 is a blank, [General] holds the keys outside any section). Values in
// the forms QSettings writes itself (quoted, escaped with a backslash, starting with '@') are left
// to QSettings. The last line of a key wins, as in QSettings.
QHash<QString, QString> ReadHandWrittenValues(const QString& iniPath);
