#include "qinputdialogex.h"

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

const int MinimumWidth = 350;

// The dialog runs in a nested event loop in which its parent may be deleted,
// and the dialog and editor with it; exec() then answers Rejected, and the
// guard keeps us from deleting them a second time.
template<typename Value, typename Editor, typename Read>
Value runDialog(QInputDialogEx *dialog, Editor *editor, const Value &initial, bool *ok, Read read)
{
    QPointer<QInputDialogEx> guard(dialog);
    editor->setFocus();
    const bool accepted = dialog->exec() == QDialog::Accepted;
    const Value result = accepted ? read(editor) : initial;
    delete guard.data();
    if (ok)
        *ok = accepted;
    return result;
}

QInputDialogEx *titledDialog(QWidget *parent, const QString &title, QWidget *editor)
{
    return new QInputDialogEx(title, editor, parent, Qt::WindowFlags());
}

QInputDialogEx *labelledDialog(QWidget *parent, const QString &title, const QString &label,
                               QWidget *editor)
{
    return new QInputDialogEx(title, label, editor, parent, Qt::WindowFlags());
}

} // namespace

QInputDialogEx::QInputDialogEx(const QString &title, QWidget *input, QWidget *parent,
                               Qt::WindowFlags flags)
    : QDialog(parent, flags)
{
    QDialogButtonBox *buttons = buildFrame(title);
    auto *layout = new QVBoxLayout(this);
    if (input)
        layout->addWidget(input);
    layout->addWidget(buttons);
}

QInputDialogEx::QInputDialogEx(const QString &title, const QString &label, QWidget *input,
                               QWidget *parent, Qt::WindowFlags flags)
    : QDialog(parent, flags)
{
    QDialogButtonBox *buttons = buildFrame(title);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(label, this));
    layout->addStretch();
    if (input) {
        input->setFont(font());
        layout->addWidget(input);
    }
    layout->addStretch();
    layout->addWidget(buttons);
}

QDialogButtonBox *QInputDialogEx::buildFrame(const QString &title)
{
    setWindowTitle(title);
    setMinimumWidth(MinimumWidth);
    setSizeGripEnabled(true);
    setFont(QFont(QStringLiteral("MS Shell Dlg 2"), 11));

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, Qt::Horizontal, this);
    buttons->setObjectName(QStringLiteral("qt_inputdlg_buttonbox"));
    m_okButton = buttons->addButton(QDialogButtonBox::Ok);
    m_okButton->setDefault(true);
    m_okButton->setAutoDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    return buttons;
}

bool QInputDialogEx::getBool(QWidget *parent, const QString &title, const QString &label,
                             bool value, bool *ok)
{
    auto *box = new QCheckBox(label);
    box->setCheckable(true);
    box->setChecked(value);
    return runDialog(titledDialog(parent, title, box), box, value, ok,
                     [](QCheckBox *edited) { return edited->isChecked(); });
}

QVariant QInputDialogEx::getBoolNull(QWidget *parent, QString &title, QString &label, bool value,
                                     bool *ok)
{
    auto *box = new QCheckBox(label);
    box->setTristate(true);
    box->setChecked(value);
    // A box left undecided says neither yes nor no.
    return runDialog(titledDialog(parent, title, box), box, QVariant(value), ok,
                     [](QCheckBox *edited) {
                         return edited->checkState() == Qt::PartiallyChecked
                                ? QVariant() : QVariant(edited->isChecked());
                     });
}

QDateTime QInputDialogEx::getDateTime(QWidget *parent, QString &title, QString &label,
                                      QDateTime value, bool *ok)
{
    auto *edit = new QDateTimeEdit(value);
    edit->setCalendarPopup(true);
    return runDialog(labelledDialog(parent, title, label, edit), edit, value, ok,
                     [](QDateTimeEdit *edited) { return edited->dateTime(); });
}

QDate QInputDialogEx::getDate(QWidget *parent, const QString &title, const QString &label,
                              QDate value, bool *ok)
{
    auto *edit = new QDateEdit(value);
    edit->setCalendarPopup(true);
    return runDialog(labelledDialog(parent, title, label, edit), edit, value, ok,
                     [](QDateEdit *edited) { return edited->date(); });
}

QTime QInputDialogEx::getTime(QWidget *parent, const QString &title, const QString &label,
                              QTime value, bool *ok)
{
    auto *edit = new QTimeEdit(value);
    edit->setCalendarPopup(false);
    return runDialog(labelledDialog(parent, title, label, edit), edit, value, ok,
                     [](QTimeEdit *edited) { return edited->time(); });
}

QString QInputDialogEx::getString(QWidget *parent, const QString &title, const QString &label,
                                  QString value, bool *ok)
{
    auto *edit = new QLineEdit(value);
    return runDialog(labelledDialog(parent, title, label, edit), edit, value, ok,
                     [](QLineEdit *edited) { return edited->text(); });
}

long long QInputDialogEx::getInt(QWidget *parent, const QString &title, const QString &label,
                                 long long value, int min, int max, bool *ok)
{
    auto *spin = new QSpinBox;
    spin->setRange(min, max);
    // Bounded first: a 64-bit value cut down to an int would land anywhere.
    spin->setValue(static_cast<int>(qBound<long long>(spin->minimum(), value, spin->maximum())));
    spin->selectAll();
    return runDialog(labelledDialog(parent, title, label, spin), spin, value, ok,
                     [](QSpinBox *edited) { return static_cast<long long>(edited->value()); });
}

double QInputDialogEx::getDouble(QWidget *parent, const QString &title, const QString &label,
                                 double value, int decimals, double min, double max, bool *ok)
{
    auto *spin = new QDoubleSpinBox;
    // Decimals first: the spin box rounds its range and value to them.
    spin->setDecimals(decimals);
    spin->setRange(min, max);
    spin->setValue(value);
    spin->selectAll();
    return runDialog(labelledDialog(parent, title, label, spin), spin, value, ok,
                     [](QDoubleSpinBox *edited) { return edited->value(); });
}
