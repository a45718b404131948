#include "qbubbletip.h"

#include <QBitmap>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStyle>
#include <QTimerEvent>
#include <QToolButton>

namespace {

const int Border = 1;
const int ArrowHeight = 18;
const int ArrowOffset = 18;
const int ArrowWidth = 18;
const int CornerRadius = 7;
const int ScreenGap = 2;
const int SideMargin = 4;
const int FarMargin = 3;
const int LayoutMargin = 3;
const int IconMargin = 2;
const int TitlePointSize = 14;
const QColor BalloonColor(255, 255, 225);

QBubbleTip *currentBubble = nullptr;

QRect defaultScreenGeometry(const QPoint &pos)
{
    QScreen *screen = QGuiApplication::screenAt(pos);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect();
}

QBubbleTip::ScreenLookup &screenLookup()
{
    static QBubbleTip::ScreenLookup lookup = defaultScreenGeometry;
    return lookup;
}

QLabel *createIconLabel(QStyle *style, QSystemTrayIcon::MessageIcon icon)
{
    QStyle::StandardPixmap kind;
    switch (icon) {
    case QSystemTrayIcon::Information: kind = QStyle::SP_MessageBoxInformation; break;
    case QSystemTrayIcon::Warning: kind = QStyle::SP_MessageBoxWarning; break;
    case QSystemTrayIcon::Critical: kind = QStyle::SP_MessageBoxCritical; break;
    default: return nullptr;
    }
    const int extent = style->pixelMetric(QStyle::PM_SmallIconSize);
    auto *label = new QLabel;
    label->setPixmap(style->standardIcon(kind).pixmap(extent, extent));
    label->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    label->setMargin(IconMargin);
    return label;
}

// Walks along an edge of the body out to the arrow's tip and back, from the
// edge point at fromX to the one at toX.
void addArrow(QPainterPath &path, int fromX, int tipX, int toX, int edgeY, int tipY)
{
    path.lineTo(fromX, edgeY);
    path.lineTo(tipX, tipY);
    path.lineTo(toX, edgeY);
}

QPoint bubbleOrigin(const QRect &screen, const QPoint &pos, const QSize &size, bool arrowAtTop,
                    bool arrowAtLeft)
{
    const int x = arrowAtLeft
            ? qMax(pos.x() - ArrowOffset, screen.left() + ScreenGap)
            : qMin(pos.x() - size.width() + ArrowOffset, screen.right() - size.width() - ScreenGap);
    return QPoint(x, arrowAtTop ? pos.y() : pos.y() - size.height());
}

} // namespace

QBubbleTip::QBubbleTip(const QString &title, const QString &message,
                       QSystemTrayIcon::MessageIcon icon)
    : QWidget(nullptr, Qt::ToolTip)
{
    setAttribute(Qt::WA_DeleteOnClose);
    buildLayout(title, message, icon);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, BalloonColor);
    setPalette(colours);
}

QBubbleTip::~QBubbleTip()
{
    // A balloon closed by the user is deleted later, when another may be current.
    if (currentBubble == this)
        currentBubble = nullptr;
}

void QBubbleTip::info(const QString &title, const QString &message, const QPoint &pos, int msecs,
                      bool showArrow, bool preferAbove)
{
    replaceBubble(QSystemTrayIcon::Information, title, message, pos, msecs, showArrow, preferAbove);
}

void QBubbleTip::warning(const QString &title, const QString &message, const QPoint &pos,
                         int msecs, bool showArrow, bool preferAbove)
{
    replaceBubble(QSystemTrayIcon::Warning, title, message, pos, msecs, showArrow, preferAbove);
}

void QBubbleTip::critical(const QString &title, const QString &message, const QPoint &pos,
                          int msecs, bool showArrow, bool preferAbove)
{
    replaceBubble(QSystemTrayIcon::Critical, title, message, pos, msecs, showArrow, preferAbove);
}

void QBubbleTip::hideBubble()
{
    if (!currentBubble)
        return;
    QBubbleTip *bubble = currentBubble;
    currentBubble = nullptr;
    bubble->hide();
    delete bubble;
}

void QBubbleTip::setScreenLookup(const ScreenLookup &lookup)
{
    screenLookup() = lookup ? lookup : defaultScreenGeometry;
}

void QBubbleTip::replaceBubble(QSystemTrayIcon::MessageIcon icon, const QString &title,
                               const QString &message, const QPoint &pos, int msecs,
                               bool showArrow, bool preferAbove)
{
    hideBubble();
    currentBubble = new QBubbleTip(title, message, icon);
    currentBubble->showBubble(pos, msecs, showArrow, preferAbove);
}

void QBubbleTip::buildLayout(const QString &title, const QString &message,
                             QSystemTrayIcon::MessageIcon icon)
{
    auto *titleLabel = new QLabel(title);
    titleLabel->setTextFormat(Qt::PlainText);
    QFont titleFont = font();
    titleFont.setBold(true);
    titleFont.setPointSize(TitlePointSize);
    titleLabel->setFont(titleFont);

    auto *messageLabel = new QLabel(message, this);
    messageLabel->setTextFormat(Qt::RichText);
    messageLabel->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    const int limit = messageLabel->screen()->availableGeometry().width() / 2;
    if (messageLabel->sizeHint().width() > limit)
        messageLabel->setWordWrap(true);
    setMaximumWidth(limit);

    auto *layout = new QGridLayout(this);
    if (QLabel *iconLabel = createIconLabel(style(), icon)) {
        layout->addWidget(iconLabel, 0, 0);
        layout->addWidget(titleLabel, 0, 1);
    } else {
        layout->addWidget(titleLabel, 0, 0, 1, 2);
    }
    layout->addWidget(createCloseButton(), 0, 2);
    layout->addWidget(messageLabel, 1, 0, 1, 3);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->setContentsMargins(LayoutMargin, LayoutMargin, LayoutMargin, LayoutMargin);
}

QWidget *QBubbleTip::createCloseButton()
{
    const int extent = style()->pixelMetric(QStyle::PM_SmallIconSize) - 2;
    auto *button = new QToolButton(this);
    button->setAutoRaise(true);
    button->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    button->setIconSize(QSize(extent, extent));
    button->setFixedSize(extent, extent);
    connect(button, &QToolButton::clicked, this, &QWidget::close);
    return button;
}

void QBubbleTip::showBubble(const QPoint &pos, int msecs, bool showArrow, bool preferAbove)
{
    const QRect screen = screenLookup()(pos);
    const QSize hint = sizeHint();
    // Against the screen's right edge, not its width alone: on a screen right
    // of another one the width would put every arrow on the right and push the
    // balloon across onto the neighbouring screen.
    const bool arrowAtLeft = pos.x() + hint.width() - (ArrowHeight - 1)
            <= screen.left() + screen.width();
    const bool arrowAtTop = !(preferAbove && pos.y() - hint.height() > ArrowHeight - 1);
    if (arrowAtTop)
        setContentsMargins(SideMargin, ArrowHeight + FarMargin, SideMargin, FarMargin);
    else
        setContentsMargins(SideMargin, FarMargin, SideMargin, ArrowHeight + FarMargin);

    const QSize size = sizeHint();
    applyShape(bodyPath(size, arrowAtTop, arrowAtLeft, showArrow), size);
    move(bubbleOrigin(screen, pos, size, arrowAtTop, arrowAtLeft));
    if (m_timerId != -1)
        killTimer(m_timerId);
    m_timerId = msecs > 0 ? startTimer(msecs, Qt::CoarseTimer) : -1;
    show();
}

QPainterPath QBubbleTip::bodyPath(const QSize &size, bool arrowAtTop, bool arrowAtLeft,
                                  bool showArrow) const
{
    const int left = 0;
    const int right = size.width() - 1;
    const int top = arrowAtTop ? ArrowHeight : 0;
    const int bottom = size.height() - 1 - (arrowAtTop ? 0 : ArrowHeight);
    const int diameter = 2 * CornerRadius;
    // The tip stands over the end of the arrow's base nearer the body's corner.
    const int tipX = arrowAtLeft ? left + ArrowOffset : right - ArrowOffset;
    const int nearX = arrowAtLeft ? tipX : tipX - ArrowWidth;
    const int farX = arrowAtLeft ? tipX + ArrowWidth : tipX;

    // Clockwise from the top-left corner.
    QPainterPath path;
    path.moveTo(left + CornerRadius, top);
    if (showArrow && arrowAtTop)
        addArrow(path, nearX, tipX, farX, top, top - ArrowHeight);
    path.lineTo(right - CornerRadius, top);
    path.arcTo(QRect(right - diameter, top, diameter, diameter), 90, -90);
    path.lineTo(right, bottom - CornerRadius);
    path.arcTo(QRect(right - diameter, bottom - diameter, diameter, diameter), 0, -90);
    if (showArrow && !arrowAtTop)
        addArrow(path, farX, tipX, nearX, bottom, bottom + ArrowHeight);
    path.lineTo(left + CornerRadius, bottom);
    path.arcTo(QRect(left, bottom - diameter, diameter, diameter), -90, -90);
    path.lineTo(left, top + CornerRadius);
    path.arcTo(QRect(left, top, diameter, diameter), 180, -90);
    return path;
}

void QBubbleTip::applyShape(const QPainterPath &path, const QSize &size)
{
    QBitmap bitmap(size);
    bitmap.fill(Qt::color0);
    QPainter maskPainter(&bitmap);
    maskPainter.setPen(QPen(Qt::color1, Border));
    maskPainter.setBrush(Qt::color1);
    maskPainter.drawPath(path);
    maskPainter.end();
    setMask(bitmap);

    m_pixmap = QPixmap(size);
    m_pixmap.fill(Qt::transparent);
    QPainter painter(&m_pixmap);
    painter.setPen(QPen(Qt::black, Border, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    painter.setBrush(palette().color(QPalette::Window));
    painter.drawPath(path);
}

void QBubbleTip::paintEvent(QPaintEvent *)
{
    QPainter(this).drawPixmap(rect(), m_pixmap);
}

void QBubbleTip::mousePressEvent(QMouseEvent *)
{
    close();
}

void QBubbleTip::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_timerId) {
        QWidget::timerEvent(event);
        return;
    }
    killTimer(m_timerId);
    m_timerId = -1;
    // Someone reading it with the mouse on it keeps it until a click closes it.
    if (!underMouse())
        close();
}
