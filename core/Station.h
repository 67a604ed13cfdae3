#pragma once
#include <QString>

// The station directory holds almdata.txt, qvportmap.ini, Archives/ and Print/. The program
// changes into it at start, so relative and absolute station paths name the same files.
QString StationDir();
void SetStationDir(const QString& dir);
QString StationPath(const QString& name);  // a file or folder in the station directory
// Tells the user when others may write in the station directory: they could put files or links
// of their own in place of the station's.
void ReportStationDirOpenToOthers();
