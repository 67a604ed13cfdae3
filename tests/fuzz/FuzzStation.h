#pragma once
#include <QByteArray>

// What every fuzz target runs in: one QCoreApplication for the whole run, a station directory of
// its own with its settings store, and user messages that are counted instead of
// written out. Started once, from LLVMFuzzerInitialize, which FuzzStation.cpp defines for all.
namespace FuzzStation {

void Start(int* argc, char*** argv);
int BoxesShown();  // message boxes asked for since the start
QString Path(const QString& name);
void WriteFile(const QString& name, const QByteArray& bytes);

} // namespace FuzzStation

// A property that does not hold ends the run, so libFuzzer keeps the input that broke it.
void FuzzRequire(bool holds, const char* property);
