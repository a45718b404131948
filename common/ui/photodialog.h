#pragma once

#include "varkolin_export.h"
#include "ui_photodialog.h"

#include <QCameraInfo>
#include <QDialog>
#include <QImage>
#include <QPointer>

class QCamera;
class QCameraImageCapture;
class QSettings;

// Each entry of the camera list carries its camera as user data, which Qt 5
// cannot hold in a QVariant until the type is declared.
Q_DECLARE_METATYPE(QCameraInfo)

// Takes one still picture from a camera. The camera chosen in the dialog is
// remembered in the host's settings for the next time; Space takes the
// picture, which closes the dialog as accepted.
class VARKOLIN_EXPORT photoDialog : public QDialog, private Ui::photoDialog
{
    Q_OBJECT
public:
    // Lists the cameras and starts the one used last when it is still there,
    // otherwise the system's default camera; with no camera none is active.
    explicit photoDialog(QWidget *parent = nullptr);
    ~photoDialog() override;

    // The captured picture; a null image until a capture succeeded.
    QImage getImage() const;
    // Asks the active camera for a still picture; with no camera active the
    // dialog is rejected, since there is nothing to take a picture with.
    void makePhoto();
    // Releases the previous camera and starts this one in the view finder.
    // A camera without a device name leaves no camera active.
    void setCamera(const QCameraInfo &cameraInfo);

protected:
    void keyReleaseEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private slots:
    void onImageCaptured(int id, QImage img);
    // Connected by name by the form.
    void on_cbCamera_currentIndexChanged(int index);

private:
    void fillCameras(const QString &storedLocation);
    void releaseCamera();
    void logFailures();

    QCamera *m_camera = nullptr;
    QCameraImageCapture *m_capture = nullptr;
    QImage m_image;
    // The host owns its settings and may drop them while the dialog is open.
    QPointer<QSettings> m_settings;
};
