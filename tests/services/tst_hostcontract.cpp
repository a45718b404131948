#include "hostcontract.h"

#include <QtTest>

class tst_HostContract : public QObject
{
    Q_OBJECT
private slots:
    void carriesPointersAsIntegers_data();
    void carriesPointersAsIntegers();
};

void tst_HostContract::carriesPointersAsIntegers_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("isNull");
    QTest::newRow("invalid") << QVariant() << true;
    QTest::newRow("text") << QVariant(QStringLiteral("not a pointer")) << true;
    QTest::newRow("zero") << QVariant(0) << true;
    QTest::newRow("address") << objToVar(this) << false;
}

void tst_HostContract::carriesPointersAsIntegers()
{
    QFETCH(QVariant, value);
    QFETCH(bool, isNull);
    void *object = varToObj(value);
    QCOMPARE(object == nullptr, isNull);
    if (!isNull) {
        QCOMPARE(object, static_cast<void *>(this));
        QCOMPARE(value.userType(), int(QMetaType::LongLong));
    }
    // A property the host never set reads as null.
    QVERIFY(!varToObj(QCoreApplication::instance()->property("Connection")));
}

QTEST_GUILESS_MAIN(tst_HostContract)
#include "tst_hostcontract.moc"
