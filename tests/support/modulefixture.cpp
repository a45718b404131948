#include "modulefixture.h"
#include "hostcontract.h"
#include "messagecatcher.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

ModuleFixture::ModuleFixture()
    : m_host(new QWidget)
{
    m_host->resize(1000, 800);
    // A box still open from the last look has had half a second: nobody else answers it.
    QObject::connect(&m_guard, &QTimer::timeout, [this] {
        QList<QWidget *> open;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QMessageBox *>(widget);
            if (box && box->isVisible() && !m_open.contains(box))
                open << box;
            else if (box && box->isVisible()) {
                m_strays << box->windowTitle() + QLatin1Char('|') + box->text();
                box->reject();
            }
        }
        m_open = open;
    });
    m_guard.start(500);
}

ModuleFixture::~ModuleFixture()
{
    m_host.reset();
    setHostConnection(nullptr);
    QTest::qCompare(m_strays, QStringList(), "stray boxes", "none", __FILE__, __LINE__);
}

bool ModuleFixture::open(const QString &backend)
{
    if (!m_connection.open(backend, true))
        return false;
    setHostConnection(&m_connection.connection());
    return true;
}

QStringList ModuleFixture::rows(const QString &sql)
{
    QStringList rows;
    QSqlQuery query(connection().db);
    if (!query.exec(sql))
        return {QStringLiteral("failed: ") + sql};
    while (query.next())
        rows << rowText(query.record());
    return rows;
}

QString rowText(const QSqlRecord &record)
{
    QStringList fields;
    for (int i = 0; i < record.count(); ++i)
        fields << (record.isNull(i) ? QString() : record.value(i).toString());
    return fields.join(QLatin1Char('|'));
}

QStringList boxesOf(const std::function<void()> &work, QMessageBox::StandardButton answer)
{
    QStringList seen;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QMessageBox *>(widget);
            if (!box || !box->isVisible())
                continue;
            seen << box->windowTitle() + QLatin1Char('|') + box->text();
            // A box that keeps coming back would be answered for ever: refuse it.
            QAbstractButton *button = seen.size() <= 10 ? box->button(answer) : nullptr;
            if (button)
                button->click();
            else
                box->reject();
        }
    });
    poll.start(20);
    work();
    return seen;
}

QStringList workDialog(const std::function<void()> &trigger, const std::function<void(QDialog *)> &hands,
                       const std::function<bool(QDialog *)> &ready)
{
    bool worked = false;
    const QStringList boxes = boxesOf([&] { worked = workModalDialog(trigger, hands, ready); });
    return (worked ? QStringList() : QStringList{QStringLiteral("no dialog")}) + boxes;
}
