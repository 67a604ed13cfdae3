#include "ui/NoCloseBoxStyle.h"

#include <QApplication>
#include <QStyleOptionTitleBar>

CNoCloseBoxStyle* CNoCloseBoxStyle::Instance()
{
    static CNoCloseBoxStyle* style = [] {
        auto* s = new CNoCloseBoxStyle;
        s->setParent(qApp);
        return s;
    }();
    return style;
}

void CNoCloseBoxStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                          QPainter* painter, const QWidget* widget) const
{
    if (control == CC_TitleBar) {
        if (const auto* titleBar = qstyleoption_cast<const QStyleOptionTitleBar*>(option)) {
            QStyleOptionTitleBar without(*titleBar);
            without.subControls &= ~SC_TitleBarCloseButton;
            QProxyStyle::drawComplexControl(control, &without, painter, widget);
            return;
        }
    }
    QProxyStyle::drawComplexControl(control, option, painter, widget);
}

QStyle::SubControl CNoCloseBoxStyle::hitTestComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                                           const QPoint& pos, const QWidget* widget) const
{
    const SubControl hit = QProxyStyle::hitTestComplexControl(control, option, pos, widget);
    return control == CC_TitleBar && hit == SC_TitleBarCloseButton ? SC_TitleBarLabel : hit;
}
