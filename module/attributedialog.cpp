#include "attributedialog.h"
#include "attributecontext.h"
#include "moduledocument.h"
#include "qdataset.h"
#include "qdatatable.h"

#include <QMessageBox>

AttributeDialog::AttributeDialog(QWidget *parent)
    : QDialog(parent)
{
    setupUi(this);
    AttributeContext editor;
    if (!readAttributeContext(parent, &editor))
        return;
    const char *table = editor.tab == 0 ? "t_workplace_free" : "t_product_free";
    QDataTable *freeAttributes = editor.document ? editor.document->getTable(QLatin1String(table)) : nullptr;
    if (editor.tab == 0 || editor.tab == 1)
        fillFor(editor.tab == 0 ? WorkplaceMode : ProductMode, freeAttributes, editor.unitId);
    comboBox->setCurrentIndex(-1);
}

AttributeDialog::AttributeDialog(Mode mode, QDataTable *freeAttributes, qlonglong unitId, QWidget *parent)
    : QDialog(parent)
{
    setupUi(this);
    fillFor(mode, freeAttributes, unitId);
    comboBox->setCurrentIndex(-1);
}

void AttributeDialog::fillFor(Mode mode, QDataTable *freeAttributes, qlonglong unitId)
{
    switch (mode) {
    case WorkplaceMode:
        setWindowTitle(QStringLiteral("Рабочее место"));
        label->setText(QStringLiteral("Выберите рабочее место"));
        fill(freeAttributes, unitId, "c_store", "id_storage", tr("Нет не связанных рабочих мест"));
        break;
    case ProductMode:
        setWindowTitle(QStringLiteral("Продукт"));
        label->setText(QStringLiteral("Выберите продукт"));
        fill(freeAttributes, unitId, "c_name", "id", tr("Данное подразделение выпускает все изделия"));
        break;
    }
}

void AttributeDialog::fill(QDataTable *table, qlonglong unitId, const char *textField, const char *dataField,
                           const QString &empty)
{
    if (table) {
        comboBox->clear();
        table->close();
        table->setSelectParam(QStringLiteral("id_unit"), unitId);
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
        QMessageBox::warning(this, tr("Внимание"), empty, QMessageBox::Ok);
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
