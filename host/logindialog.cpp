#include "logindialog.h"

#include <QEvent>

LoginDialog::LoginDialog(const Check &check, QWidget *parent)
    : QDialog(parent)
    , m_check(check)
{
    setupUi(this);
    lbError->hide();
}

void LoginDialog::setCredentials(const QString &login, const QString &password)
{
    leLogin->setText(login);
    lePassword->setText(password);
    // Whoever named the login on the command line only has the password to type.
    if (!login.isEmpty())
        lePassword->setFocus();
}

void LoginDialog::setDatabase(const QString &database)
{
    m_database = database;
    showDatabase();
}

QString LoginDialog::login() const
{
    return leLogin->text();
}

void LoginDialog::accept()
{
    if (m_check(leLogin->text(), lePassword->text())) {
        QDialog::accept();
        return;
    }
    lbError->setText(tr("Wrong login or password. Try again."));
    lbError->show();
    lePassword->clear();
    lePassword->setFocus();
}

void LoginDialog::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        retranslateUi(this);
        showDatabase();
    }
    QDialog::changeEvent(event);
}

void LoginDialog::showDatabase()
{
    lbDatabase->setText(tr("Database: %1").arg(m_database));
}
