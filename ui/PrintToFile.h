#pragma once
#include <QString>

class CQuorvelDoc;
class QWidget;

// The name Print to File offers for a document: its title, cut before the first "." unless the
// title begins with one (an archive window's "Channel 1 20261209.krv" gives "Channel 1 20261209").
QString PrintFileTitle(const QString& documentTitle);

// Writes the document's event list to a text file the user chooses in the Print folder: one line
// per record, oldest first, each record's text byte for byte followed by CR LF. An empty list and
// a file that cannot be opened are told in a box; nothing is written then.
void OnPrintToFile(CQuorvelDoc* document, QWidget* parent);
