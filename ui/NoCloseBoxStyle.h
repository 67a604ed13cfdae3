#pragma once
#include <QProxyStyle>

// The title bar of a child window without its close box: it is neither drawn nor hit. Child
// windows close by Close Archive only.
class NoCloseBoxStyle : public QProxyStyle
{
    Q_OBJECT
public:
    // One instance serves every child window.
    static NoCloseBoxStyle* Instance();

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget = nullptr) const override;
    SubControl hitTestComplexControl(ComplexControl control, const QStyleOptionComplex* option, const QPoint& pos,
                                     const QWidget* widget = nullptr) const override;
};
