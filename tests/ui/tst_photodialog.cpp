#include "hostcontract.h"
#include "photodialog.h"

#include <QComboBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class tst_photoDialog : public QObject
{
    Q_OBJECT
private slots:
    void worksWithoutCamera();
};

// Without a camera there is nothing to take a picture with: the dialog must
// close rejected rather than wait for a picture that never comes.
void tst_photoDialog::worksWithoutCamera()
{
    if (!QCameraInfo::availableCameras().isEmpty())
        QSKIP("a camera is attached, and the dialog would take a picture");
    QTemporaryDir dir;
    QSettings settings(dir.filePath("host.ini"), QSettings::IniFormat);
    for (QSettings *published : {static_cast<QSettings *>(nullptr), &settings}) {
        setHostSettings(published);
        photoDialog dialog;
        // The list is empty, so the entry added becomes the chosen one.
        dialog.findChild<QComboBox *>("cbCamera")->addItem("Тестовая", QVariant::fromValue(QCameraInfo()));
        QCOMPARE(settings.contains("CAMERA/Location"), published != nullptr);
    }
    setHostSettings(nullptr);

    photoDialog dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Захват с камеры"));
    QSignalSpy rejected(&dialog, &QDialog::rejected);
    dialog.open();
    QTest::keyRelease(&dialog, Qt::Key_Space, Qt::ShiftModifier);
    // A held key repeats its release; one press must take one picture.
    QKeyEvent held(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, " ", true);
    QCoreApplication::sendEvent(&dialog, &held);
    QCOMPARE(rejected.count(), 0);
    QTest::keyRelease(&dialog, Qt::Key_Space);
    QCOMPARE(rejected.count(), 1);
    dialog.makePhoto();
    QCOMPARE(rejected.count(), 2);
    QVERIFY(dialog.getImage().isNull());
}

QTEST_MAIN(tst_photoDialog)
#include "tst_photodialog.moc"
