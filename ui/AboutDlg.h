#pragma once
#include <QDialog>

// The about box: the product, the build's version and the notice.
class CAboutDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
