#include "ui/AboutDlg.h"

#include "core/Labels.h"
#include "core/Version.h"
#include "ui/ProgramIcon.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QString::fromLatin1(Str::kAboutTitle));
    // A box to read and close: a title and a close button, no minimise or maximise, one size.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    auto* layout = new QGridLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    auto* icon = new QLabel;
    icon->setPixmap(ProgramIcon().pixmap(32, 32));
    layout->addWidget(icon, 0, 0, 3, 1, Qt::AlignTop);
    layout->addWidget(new QLabel(QString::fromLatin1(Str::kProductName)), 0, 1);
    layout->addWidget(new QLabel(QString::fromLatin1(Str::kAboutVersion).arg(QLatin1String(QUORVEL_VERSION))), 1, 1);
    layout->addWidget(new QLabel(QString::fromLatin1(Str::kAboutNotice)), 2, 1);
    auto* ok = new QPushButton(QString::fromLatin1(Str::kAboutOk));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 0, 2, Qt::AlignTop);
}
