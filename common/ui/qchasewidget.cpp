#include "qchasewidget.h"

#include <QPainter>
#include <QTimerEvent>

QChaseWidget::QChaseWidget(QWidget *parent, QPixmap pixmap, bool pixmapEnabled)
    : QWidget(parent)
    , m_pixmap(pixmap)
    , m_pixmapEnabled(pixmapEnabled)
{
}

QChaseWidget::~QChaseWidget()
{
    stopTimer();
}

void QChaseWidget::setAnimated(bool animated)
{
    if (animated == m_animated)
        return;
    m_animated = animated;
    stopTimer();
    if (m_animated) {
        m_step = 0;
        // A frame a few milliseconds late does not show; coarse timers save wake-ups.
        m_timerId = startTimer(m_delay, Qt::CoarseTimer);
    }
    update();
}

void QChaseWidget::stopTimer()
{
    if (m_timerId != -1)
        killTimer(m_timerId);
    m_timerId = -1;
}

void QChaseWidget::setPixmapEnabled(bool enabled)
{
    m_pixmapEnabled = enabled;
    update();
}

int QChaseWidget::segmentCount() const
{
    return 360 / m_degreesPerSegment;
}

QColor QChaseWidget::colorForSegment(int segment) const
{
    const int count = segmentCount();
    // The remainder of a negative dot number is negative, and a level above
    // 255 is no colour at all.
    const int shade = ((m_step + segment) % count + count) % count;
    const int grey = qMax(255 - (255 / count) * shade, 0);
    return QColor(grey, grey, grey);
}

QSize QChaseWidget::sizeHint() const
{
    return QSize(16, 16);
}

void QChaseWidget::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_timerId) {
        QWidget::timerEvent(event);
        return;
    }
    // Only the step modulo the dot count is ever seen; wrapping keeps an
    // indicator left running for years from overflowing.
    m_step = (m_step + 1) % segmentCount();
    update();
}

void QChaseWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_pixmapEnabled && !m_pixmap.isNull()) {
        painter.drawPixmap(0, 0, m_pixmap);
        return;
    }
    paintRing(painter);
}

void QChaseWidget::paintRing(QPainter &painter)
{
    const int radius = (qMin(width(), height()) - 8) / 4;
    // A widget too small for dots of any size shows nothing rather than
    // dots turned inside out.
    if (radius < 2)
        return;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(m_animated ? QColor(Qt::darkGreen) : palette().dark().color());
    painter.translate(width() / 2, height() / 2);
    const int turn = layoutDirection() == Qt::RightToLeft ? m_degreesPerSegment : -m_degreesPerSegment;
    const qreal diameter = radius - 1;
    for (int i = 0; i < segmentCount(); ++i) {
        painter.rotate(turn);
        painter.setBrush(m_animated ? QBrush(colorForSegment(i)) : palette().window());
        painter.drawEllipse(QRectF(radius, -diameter / 2, diameter, diameter));
    }
}
