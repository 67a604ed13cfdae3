#include "tests/ui/TextRecorder.h"

#include <QPaintEngine>
#include <QTransform>
#include <QWidget>

namespace {

class RecordingEngine : public QPaintEngine
{
public:
    explicit RecordingEngine(QList<TextRecorder::Text>& texts)
        : QPaintEngine(QPaintEngine::AllFeatures)
        , m_texts(texts)
    {
    }

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState& state) override
    {
        if (state.state() & DirtyPen)
            m_pen = state.pen();
        if (state.state() & DirtyTransform)
            m_transform = state.transform();
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawTextItem(const QPointF& p, const QTextItem& item) override
    {
        m_texts.append({item.text(), m_pen.color(), m_transform.map(p)});
    }
    Type type() const override { return User; }

private:
    QList<TextRecorder::Text>& m_texts;
    QPen m_pen;
    QTransform m_transform;
};

} // namespace

TextRecorder::TextRecorder(QSize size)
    : m_size(size)
    , m_engine(std::make_unique<RecordingEngine>(texts))
{
}

TextRecorder::~TextRecorder() = default;

QPaintEngine* TextRecorder::paintEngine() const
{
    return m_engine.get();
}

int TextRecorder::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth: return m_size.width();
    case PdmHeight: return m_size.height();
    case PdmWidthMM: return m_size.width() * 254 / 960;
    case PdmHeightMM: return m_size.height() * 254 / 960;
    case PdmNumColors: return 0x7fffffff;
    case PdmDepth: return 32;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY: return 96;
    case PdmDevicePixelRatio: return 1;
    case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
    }
    return 0;
}

QList<TextRecorder::Text> TextRecorder::Record(QWidget* widget)
{
    TextRecorder recorder(widget->size());
    widget->render(&recorder, QPoint(), QRegion(), QWidget::DrawChildren);
    return recorder.texts;
}
