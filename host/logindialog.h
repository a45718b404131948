#pragma once

#include "ui_logindialog.h"

#include <QDialog>

#include <functional>

// Asks for the login and password and stays open until they are accepted
// or the person gives up.
class LoginDialog : public QDialog, private Ui::LoginDialog
{
    Q_OBJECT
public:
    typedef std::function<bool(const QString &login, const QString &password)> Check;

    LoginDialog(const Check &check, QWidget *parent = nullptr);

    void setCredentials(const QString &login, const QString &password);
    void setDatabase(const QString &database);
    QString login() const;

public slots:
    void accept() override;

protected:
    void changeEvent(QEvent *event) override;

private:
    void showDatabase();

    Check m_check;
    QString m_database;
};
