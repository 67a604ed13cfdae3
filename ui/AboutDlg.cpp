#include "ui/AboutDlg.h"

#include "core/Strings.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QString::fromLatin1(Str::kAboutTitle));
    auto* layout = new QGridLayout(this);
    auto* icon = new QLabel;
    const QIcon appIcon = QApplication::windowIcon().isNull() ? style()->standardIcon(QStyle::SP_ComputerIcon)
                                                              : QApplication::windowIcon();
    icon->setPixmap(appIcon.pixmap(32, 32));
    layout->addWidget(icon, 0, 0, 3, 1, Qt::AlignTop);
    layout->addWidget(new QLabel(QString::fromLatin1(Str::kProductName)), 0, 1);
    layout->addWidget(new QLabel(QString::fromLatin1(Str::kAboutVersion).arg(QLatin1String(QUORVEL_VERSION))), 1, 1);
    layout->addWidget(new QLabel(QString::fromLatin1(Str::kAboutNotice)), 2, 1);
    auto* ok = new QPushButton(QString::fromLatin1(Str::kAboutOk));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 0, 2, Qt::AlignTop);
}
