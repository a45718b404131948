#pragma once

#include "varkolin_export.h"

#include <QColor>
#include <QPixmap>
#include <QWidget>

// A busy indicator: a ring of dots whose shades of grey travel round while it
// is animated. It can show a still picture instead of the ring.
class VARKOLIN_EXPORT QChaseWidget : public QWidget
{
    Q_OBJECT
public:
    // Not animated; the pixmap is painted instead of the ring when enabled and not null.
    explicit QChaseWidget(QWidget *parent = nullptr, QPixmap pixmap = QPixmap(), bool pixmapEnabled = false);
    ~QChaseWidget() override;

    // Starts or stops the rotation; starting begins again at the first shade.
    void setAnimated(bool animated);
    bool isAnimated() const { return m_animated; }
    // Paints the pixmap instead of the ring, when the pixmap is not null.
    void setPixmapEnabled(bool enabled);
    // The number of dots in the ring.
    int segmentCount() const;
    // The shade of a dot at the current step: white for the leading dot,
    // darker greys behind it. Any integer is taken modulo the dot count.
    QColor colorForSegment(int segment) const;
    QSize sizeHint() const override;

protected:
    void timerEvent(QTimerEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void stopTimer();
    void paintRing(QPainter &painter);

    int m_step = 0;
    int m_delay = 100;
    int m_degreesPerSegment = 40;
    int m_timerId = -1;
    bool m_animated = false;
    QPixmap m_pixmap;
    bool m_pixmapEnabled = false;
};
