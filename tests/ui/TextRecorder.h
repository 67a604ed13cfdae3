#pragma once
#include <QColor>
#include <QList>
#include <QPaintDevice>
#include <QPointF>
#include <QSize>
#include <QString>

#include <memory>

class QWidget;

// A paint device that keeps every text drawn on it, with its pen colour and baseline position.
// Render a widget onto it to read what the widget draws.
class TextRecorder : public QPaintDevice
{
public:
    struct Text
    {
        QString text;
        QColor color;
        QPointF baseline;
    };

    explicit TextRecorder(QSize size);
    ~TextRecorder() override;

    QPaintEngine* paintEngine() const override;
    QList<Text> texts;

    // What the widget draws now.
    static QList<Text> Record(QWidget* widget);

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    QSize m_size;
    std::unique_ptr<QPaintEngine> m_engine;
};
