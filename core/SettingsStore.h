#pragma once
#include <QString>

#include <memory>

class QSettings;

// The per-user settings store: $XDG_CONFIG_HOME/Brannock/Quorvel.ini, sections and value names
// as the program has always used them. One instance serves the whole program, so reading a value is
// a lookup in memory, not a file read. The functions below may be called on any thread; the store
// itself is for the user-interface thread.
QSettings& ProfileStore();
// Drops the open store so the next access opens it afresh (tests point QSettings elsewhere).
void ResetProfileStore();
// A store of the calling thread's own on the program-wide store's file, for a thread that must
// sync or read it apart from the user-interface thread: QSettings objects on one file in one
// process see each other's writes at once.
std::unique_ptr<QSettings> OpenThreadStore();

// The stored number, or defaultValue when the key is missing. A stored value that is not a decimal
// number fitting an int (blanks around it allowed) also gives defaultValue, and *readable false.
int GetProfileInt(const QString& section, const QString& key, int defaultValue, bool* readable = nullptr);
// The same, read from the given store.
int GetProfileInt(QSettings& store, const QString& section, const QString& key, int defaultValue,
                  bool* readable = nullptr);
QString GetProfileString(const QString& section, const QString& key, const QString& defaultValue);
void WriteProfileInt(const QString& section, const QString& key, int value);
void WriteProfileString(const QString& section, const QString& key, const QString& value);

// The display flags "Call", "Fault", "Normal", "System" of section "Settings" (defaults 1, 1, 1, 0).
// Every call answers what the store holds now; a write through this module applies from the next call.
void ReadEventViewSettings(int& call, int& fault, int& normal, int& system);

// Lines of the remote system on channel n (section "Lines", key n); 64 when nothing is stored.
int GetLineCount(int channel);

// The line count stored for channel n as the Line Count page reads it: -1 when nothing, -1 or no
// number is stored.
int StoredLineCount(int channel);
void StoreLineCount(int channel, int count);
