#include "ui/NoCloseBoxStyle.h"

#include <QApplication>
#include <QStyleOptionTitleBar>

NoCloseBoxStyle* NoCloseBoxStyle::Instance()
{
    static NoCloseBoxStyle* style = [] {
        auto* s = new NoCloseBoxStyle;
        s->setParent(qApp);
        return s;
    }();
    return style;
}

void NoCloseBoxStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
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

QStyle::SubControl NoCloseBoxStyle::hitTestComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                                           const QPoint& pos, const QWidget* widget) const
{
    const SubControl hit = QProxyStyle::hitTestComplexControl(control, option, pos, widget);
    return control == CC_TitleBar && hit == SC_TitleBarCloseButton ? SC_TitleBarLabel : hit;
}
