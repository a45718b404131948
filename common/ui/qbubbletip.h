#pragma once

#include "varkolin_export.h"

#include <QPixmap>
#include <QSystemTrayIcon>
#include <QWidget>

#include <functional>

class QPainterPath;

// A balloon notification pointing at a screen position. At most one is shown
// through the static operations: each new one replaces the previous. A balloon
// closes on a click, on its close button, on hideBubble() or after its time
// unless the mouse is over it, and deletes itself when closed.
class VARKOLIN_EXPORT QBubbleTip : public QWidget
{
public:
    ~QBubbleTip() override;

    // Replace the current balloon by one with the information, warning or
    // critical icon. With msecs <= 0 it stays until closed. The arrow points at
    // pos; the balloon opens above pos only when preferAbove and there is room.
    static void info(const QString &title, const QString &message, const QPoint &pos,
                     int msecs = 10000, bool showArrow = true, bool preferAbove = true);
    static void warning(const QString &title, const QString &message, const QPoint &pos,
                        int msecs = 10000, bool showArrow = true, bool preferAbove = true);
    static void critical(const QString &title, const QString &message, const QPoint &pos,
                         int msecs = 10000, bool showArrow = true, bool preferAbove = true);
    // Hides and deletes the current balloon; nothing when there is none.
    static void hideBubble();

    // How a balloon finds the geometry of the screen at a point; tests stand
    // in with screen layouts the platform lacks. Null restores the default.
    using ScreenLookup = std::function<QRect(const QPoint &pos)>;
    static void setScreenLookup(const ScreenLookup &lookup);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void timerEvent(QTimerEvent *event) override;

private:
    QBubbleTip(const QString &title, const QString &message, QSystemTrayIcon::MessageIcon icon);

    static void replaceBubble(QSystemTrayIcon::MessageIcon icon, const QString &title,
                              const QString &message, const QPoint &pos, int msecs,
                              bool showArrow, bool preferAbove);
    // Lays out, shapes, places and shows the balloon; starts its timer when msecs > 0.
    void showBubble(const QPoint &pos, int msecs, bool showArrow, bool preferAbove);
    void buildLayout(const QString &title, const QString &message,
                     QSystemTrayIcon::MessageIcon icon);
    QWidget *createCloseButton();
    QPainterPath bodyPath(const QSize &size, bool arrowAtTop, bool arrowAtLeft,
                          bool showArrow) const;
    void applyShape(const QPainterPath &path, const QSize &size);

    QPixmap m_pixmap;
    int m_timerId = -1;
};
