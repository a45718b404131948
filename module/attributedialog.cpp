#include "attributedialog.h"
#include "moduledocument.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "varkolineditor.h"

#include <QMessageBox>

AttributeDialog::AttributeDialog(QWidget *parent)
    : QDialog(parent)
{
    setupUi(this);
    auto *editor = qobject_cast<VarkolinEditor *>(parent);
    if (!editor)
        return;
    switch (editor->tabWidget->currentIndex()) {
    case 0:
        setWindowTitle(QStringLiteral("Рабочее место"));
        label->setText(QStringLiteral("Выберите рабочее место"));
        fill("t_workplace_free", "c_store", "id_storage", QStringLiteral("Нет не связанных рабочих мест"));
        break;
    case 1:
        setWindowTitle(QStringLiteral("Продукт"));
        label->setText(QStringLiteral("Выберите продукт"));
        fill("t_product_free", "c_name", "id", QStringLiteral("Данное подразделение выпускает все изделия"));
        break;
    default:
        break;
    }
    comboBox->setCurrentIndex(-1);
}

void AttributeDialog::fill(const char *tableName, const char *textField, const char *dataField,
                           const QString &empty)
{
    auto *editor = static_cast<VarkolinEditor *>(parent());
    QDataTable *table = editor->document() ? editor->document()->getTable(QLatin1String(tableName)) : nullptr;
    if (table) {
        comboBox->clear();
        table->close();
        table->setSelectParam(QStringLiteral("id_unit"), editor->unitId());
        // Nothing to choose from a list that did not load; "none left" would be untrue.
        if (!loadTables({table}, this)) {
            m_finished = true;
            done(QDialog::Rejected);
            return;
        }
        for (int row = 0; row < table->rowCount(); ++row) {
            const QSqlRecord record = table->getRecord(row, false);
            comboBox->addItem(record.value(QLatin1String(textField)).toString(),
                              record.value(QLatin1String(dataField)));
        }
    }
    if (comboBox->count() == 0) {
        QMessageBox::warning(this, QStringLiteral("Внимание"), empty, QMessageBox::Ok);
        m_finished = true;
        done(QDialog::Rejected);
    }
}

int AttributeDialog::exec()
{
    return m_finished ? int(QDialog::Rejected) : QDialog::exec();
}

void AttributeDialog::changeEvent(QEvent *event)
{
    // The texts of the two modes are fixed Russian texts, set once; only
    // the form's own texts follow the language.
    if (event->type() == QEvent::LanguageChange) {
        const QString title = windowTitle();
        const QString text = label->text();
        retranslateUi(this);
        setWindowTitle(title);
        label->setText(text);
    }
    QDialog::changeEvent(event);
}
