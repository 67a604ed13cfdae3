#pragma once
#include <QString>

// "Sen&d...": the archive file of the active window handed to the desktop's mail program with
// xdg-email, which opens a new message with the file attached. Offered only where xdg-email is
// installed.

// The xdg-email found on the search path now; empty when it is not installed.
QString FindSendProgram();
// Starts xdg-email --attach on the file and returns at once; the mail program lives on by itself.
// A file that is not there (a channel with no record today), a program that cannot be started, and
// one that ends in failure (with its exit status and what it wrote) are reported.
void OnFileSendMail(const QString& file);
