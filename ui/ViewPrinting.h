#pragma once

class CQuorvelDoc;
class QPrinter;
class QWidget;

// The print commands of a channel or archive window, on the printer the program keeps (its
// set-up stays for later prints). The pages are made in slices, returning to the event loop
// between them, so a long list prints while the channels go on logging.
void OnFilePrint(CQuorvelDoc* document, QPrinter& printer, QWidget* parent);
void OnFilePrintPreview(CQuorvelDoc* document, QPrinter& printer, QWidget* parent);
void OnFilePrintSetup(QPrinter& printer, QWidget* parent);

// Prints the document's pages on the printer, those of the printer's page range (bounded by the
// last page). False when the job could not start, was cancelled or the document went.
bool PrintDocument(CQuorvelDoc* document, QPrinter& printer, QWidget* parent);
