#include "ui/OkCancelColumn.h"

#include "core/Labels.h"

#include <QDialog>
#include <QPushButton>
#include <QVBoxLayout>

QBoxLayout* OkCancelColumn(QDialog* dialog, const std::function<void()>& onOk)
{
    auto* ok = new QPushButton(QString::fromLatin1(Str::kDialogOk));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QString::fromLatin1(Str::kDialogCancel));
    QObject::connect(ok, &QPushButton::clicked, dialog, onOk);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch();
    return buttons;
}
