#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class HostOptions;
class QDialog;
class QTreeWidget;
class QWidget;

// Opens a unit's editor, and on request its product dialog, the way a person
// would by clicking, so that they can be shown without anyone at the screen.
// The module is reached only through the object names of its widgets.
class Showcase : public QObject
{
    Q_OBJECT
public:
    Showcase(QWidget *window, const HostOptions &options, QObject *parent = nullptr);

public slots:
    // Meant for right after the first refresh, when the list holds the units.
    void start();
    // Dismisses the product dialog, if it is open.
    void close();

signals:
    // What was asked for is on screen: the main window, or the product
    // dialog once its tree has settled.
    void ready(QWidget *subject);
    void failed(const QString &text);

private slots:
    void watchDialog();

private:
    bool showUnit();
    bool openProducts();
    void unfold(QTreeWidget *tree);
    bool fail(const QString &text);

    QPointer<QWidget> m_window;
    QString m_unit;
    bool m_products;
    bool m_awaitDialog;
    QPointer<QDialog> m_dialog;
    QTimer m_watch;
    QElapsedTimer m_waited;
    QElapsedTimer m_unchanged;
    int m_topLevelCount = -1;
};
