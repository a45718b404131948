#include "photodialog.h"

#include "hostcontract.h"

#include <QCamera>
#include <QCameraImageCapture>
#include <QCameraInfo>
#include <QDebug>
#include <QKeyEvent>
#include <QSettings>
#include <QSignalBlocker>

static const char cameraLocationKey[] = "CAMERA/Location";

photoDialog::photoDialog(QWidget *parent)
    : QDialog(parent)
    , m_settings(hostSettings())
{
    // setupUi() connects on_cbCamera_currentIndexChanged() by name; a second
    // connection here would switch the camera twice for one choice.
    setupUi(this);
    const QString storedLocation = m_settings ? m_settings->value(cameraLocationKey).toString() : QString();
    fillCameras(storedLocation);
}

// Children go in the order they were made: the view finder before the camera
// that feeds it, and the camera before the capture that works on it.
photoDialog::~photoDialog()
{
    releaseCamera();
}

void photoDialog::fillCameras(const QString &storedLocation)
{
    const QSignalBlocker blocker(cbCamera);
    QCameraInfo chosen = QCameraInfo::defaultCamera();
    const QList<QCameraInfo> cameras = QCameraInfo::availableCameras();
    for (const QCameraInfo &camera : cameras) {
        cbCamera->addItem(camera.description(), QVariant::fromValue(camera));
        if (!storedLocation.isEmpty() && camera.deviceName() == storedLocation)
            chosen = camera;
    }
    setCamera(chosen);
    // Found by device, not by description: two cameras of one model share a
    // description, and the list must show the one that is running.
    cbCamera->setCurrentIndex(cameras.indexOf(chosen));
}

QImage photoDialog::getImage() const
{
    return m_image;
}

void photoDialog::makePhoto()
{
    if (!m_camera || !m_capture) {
        reject();
        return;
    }
    m_capture->capture();
}

void photoDialog::setCamera(const QCameraInfo &cameraInfo)
{
    releaseCamera();
    if (cameraInfo.deviceName().isEmpty())
        return;
    m_camera = new QCamera(cameraInfo, this);
    m_capture = new QCameraImageCapture(m_camera, this);
    m_camera->setViewfinder(viewFinder);
    m_camera->setCaptureMode(QCamera::CaptureStillImage);
    connect(m_capture, SIGNAL(imageCaptured(int,QImage)), this, SLOT(onImageCaptured(int,QImage)));
    logFailures();
    m_camera->start();
}

// A camera that cannot start, or a picture that is not taken, is told only
// through signals; the dialog stays open, and the log says why.
void photoDialog::logFailures()
{
    QCamera *camera = m_camera;
    connect(camera, &QCamera::errorOccurred, this,
            [camera]() { qWarning() << "Camera failed:" << camera->errorString(); });
    connect(m_capture, QOverload<int, QCameraImageCapture::Error, const QString &>::of(&QCameraImageCapture::error),
            this, [](int, QCameraImageCapture::Error, const QString &message) {
                qWarning() << "Photo not taken:" << message;
            });
}

// The capture goes first, as it works on the camera's service; the view finder
// is unbound first, so that it never holds on to a camera that is gone.
void photoDialog::releaseCamera()
{
    delete m_capture;
    m_capture = nullptr;
    if (!m_camera)
        return;
    m_camera->stop();
    m_camera->setViewfinder(static_cast<QVideoWidget *>(nullptr));
    delete m_camera;
    m_camera = nullptr;
}

void photoDialog::onImageCaptured(int id, QImage img)
{
    Q_UNUSED(id)
    m_image = img;
    accept();
}

void photoDialog::on_cbCamera_currentIndexChanged(int index)
{
    if (m_camera)
        m_camera->stop();
    const QCameraInfo camera = cbCamera->itemData(index).value<QCameraInfo>();
    setCamera(camera);
    if (m_settings)
        m_settings->setValue(cameraLocationKey, camera.deviceName());
}

void photoDialog::keyReleaseEvent(QKeyEvent *event)
{
    QDialog::keyReleaseEvent(event);
    // A held key repeats its release; one press takes one picture.
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier && !event->isAutoRepeat())
        makePhoto();
}

void photoDialog::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslateUi(this);
    QDialog::changeEvent(event);
}
