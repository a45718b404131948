#pragma once

#include "varkolin_export.h"

#include <QDate>
#include <QDateTime>
#include <QDialog>
#include <QTime>
#include <QVariant>

class QDialogButtonBox;
class QPushButton;

// A dialog around one editor widget with Ok and Cancel, and getters that ask
// the user for one typed value. Every getter runs the dialog modally, sets *ok
// (when ok is not null) to whether the user accepted, and returns the edited
// value when accepted, otherwise the initial value unchanged.
class VARKOLIN_EXPORT QInputDialogEx : public QDialog
{
    Q_OBJECT
public:
    // The input widget (reparented to the dialog) above the buttons.
    QInputDialogEx(const QString &title, QWidget *input, QWidget *parent = nullptr,
                   Qt::WindowFlags flags = Qt::WindowFlags());
    // A label with the text, then the input widget between stretches, then the buttons.
    QInputDialogEx(const QString &title, const QString &label, QWidget *input,
                   QWidget *parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());

    // A check box with the label as its text.
    static bool getBool(QWidget *parent, const QString &title, const QString &label, bool value,
                        bool *ok = nullptr);
    // A three-state check box; a box left partially checked gives a null value,
    // checked or unchecked a bool.
    static QVariant getBoolNull(QWidget *parent, QString &title, QString &label, bool value,
                                bool *ok = nullptr);
    // A date-time edit with a calendar pop-up.
    static QDateTime getDateTime(QWidget *parent, QString &title, QString &label, QDateTime value,
                                 bool *ok = nullptr);
    // A date edit with a calendar pop-up.
    static QDate getDate(QWidget *parent, const QString &title, const QString &label, QDate value,
                         bool *ok = nullptr);
    // A time edit without pop-up.
    static QTime getTime(QWidget *parent, const QString &title, const QString &label, QTime value,
                         bool *ok = nullptr);
    // A line edit holding the value.
    static QString getString(QWidget *parent, const QString &title, const QString &label,
                             QString value, bool *ok = nullptr);
    // The spin box holds an int within min … max; a cancelled dialog gives back
    // the 64-bit value even when it lies outside that range.
    static long long getInt(QWidget *parent, const QString &title, const QString &label,
                            long long value, int min, int max, bool *ok = nullptr);
    // A spin box within min … max that rounds to the given decimals.
    static double getDouble(QWidget *parent, const QString &title, const QString &label,
                            double value, int decimals, double min, double max, bool *ok = nullptr);

private:
    // Title, font and size grip of both layouts; returns the button box.
    QDialogButtonBox *buildFrame(const QString &title);

    QPushButton *m_okButton = nullptr;
};
