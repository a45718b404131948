// A module on the Varkolin common library: the plant's equipment, a list in
// the frame's view area with an editor panel under it. The module names its
// SQL by key only; the driver serves the scripts of sql/.

#include "hostcontract.h"
#include "qdataeditor.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "qdbsettings.h"
#include "qsqlconnection.h"
#include "quserinterface.h"

#include <QAction>
#include <QApplication>
#include <QDebug>
#include <QFormLayout>
#include <QLineEdit>
#include <QPointer>
#include <QStyle>
#include <QTableView>

namespace {

const char lastNumberKey[] = "equipment/lastNumber";

QDataSet *makeDocument(QObject *parent)
{
    QSqlConnection *connection = hostConnection();
    // The table is the module's own, made the first time a database lacks it.
    const QString create = connection ? connection->getScript(QStringLiteral("EQUIPMENT_CREATE")) : QString();
    if (create.isEmpty() || !connection->batchExec(create))
        qWarning() << "Equipment: the table t_equipment was not made; are the module's scripts installed?";
    auto *document = new QDataSet(parent);
    auto *table = new QDataTable(QStringLiteral("t_equipment"), connection, document);
    table->setScripts(QStringLiteral("EQUIPMENT_SELECT"), QStringLiteral("EQUIPMENT_UPDATE"),
                      QStringLiteral("EQUIPMENT_INSERT"), QStringLiteral("EQUIPMENT_DELETE"));
    table->setKeyField(QStringLiteral("id"));
    // The key counts down from -1 in new rows until the insert script returns the real one.
    table->addColumn(QStringLiteral("id"), QVariant::LongLong, false, QString(), -1);
    table->addColumn(QStringLiteral("c_name"), QVariant::String, true, QStringLiteral("Machine"), 0, 300);
    table->addColumn(QStringLiteral("c_number"), QVariant::String, true, QStringLiteral("Inventory number"), 0, 150);
    document->addTable(table);
    return document;
}

// One data set for the module, whoever asks first.
QDataSet *moduleDocument(QObject *parent)
{
    static QPointer<QDataSet> document;
    if (!document)
        document = makeDocument(parent);
    return document;
}

class EquipmentContent : public QUserInterface
{
public:
    explicit EquipmentContent(QWidget *parent)
        : QUserInterface(parent)
    {
        setCaption(QStringLiteral("Equipment"));
        initDocument();
        initView();
        initEditor();
        onConnectPopupEditor();
        onConnectSelectionChanged();
        auto *add = new QAction(QStringLiteral("New machine"), this);
        connect(add, &QAction::triggered, this, [this] { addMachine(); });
        actions.append(add);
    }

    // What the host puts in its toolbar.
    QList<QAction *> actions;

    bool initDocument() override
    {
        m_document = moduleDocument(this);
        m_table = m_document->getTable(QStringLiteral("t_equipment"));
        return m_table != nullptr;
    }
    bool initView() override
    {
        m_view = new QTableView(this);
        // The host keeps the column widths and order of a named view for each user.
        m_view->setObjectName(QStringLiteral("tvEquipment"));
        m_table->setView(m_view);
        viewLayout->addWidget(m_view);
        return true;
    }
    bool initEditor() override
    {
        m_panel = new QDataEditor(this);
        auto *editor = new QWidget(m_panel);
        editor->setWindowTitle(QStringLiteral("Machine"));
        auto *form = new QFormLayout(editor);
        form->addRow(QStringLiteral("Name"), m_name = new QLineEdit(editor));
        form->addRow(QStringLiteral("Inventory number"), m_number = new QLineEdit(editor));
        m_panel->initEditor(editor);
        for (QLineEdit *edit : {m_name, m_number})
            connect(edit, &QLineEdit::textEdited, m_panel, &QDataEditor::OnChange);
        connect(m_panel, &QDataEditor::ok, this, [this] { apply(); });
        connect(m_panel, &QDataEditor::cancel, this, [this] {
            m_document->rollback();
            showMachine();
            editFrame->hide();
        });
        connect(m_panel, &QDataEditor::popup, this, &QUserInterface::toggleEditorPopup);
        editLayout->addWidget(m_panel);
        return true;
    }
    bool onConnectPopupEditor() override
    {
        return connect(m_view, &QTableView::doubleClicked, editFrame, &QWidget::show);
    }
    bool onDisconnectPopupEditor() override
    {
        return disconnect(m_view, &QTableView::doubleClicked, editFrame, &QWidget::show);
    }
    bool onConnectSelectionChanged() override
    {
        return connect(m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                       [this] { showMachine(); });
    }

    void refresh() override
    {
        m_table->close();
        m_table->open();
        Status->setText(m_table->lastError().isEmpty() ? QStringLiteral("Machines: %1").arg(m_table->rowCount())
                                                       : m_table->lastError());
    }

private:
    void showMachine()
    {
        const QSqlRecord record = m_table->getViewCurrentRecord();
        m_name->setText(record.value(QStringLiteral("c_name")).toString());
        m_number->setText(record.value(QStringLiteral("c_number")).toString());
        m_panel->lbCaption->setText(m_name->text());
        m_panel->onReset();
        if (record.isEmpty())
            editFrame->hide();
    }

    void addMachine()
    {
        m_table->newRow(true);
        m_view->selectRow(m_table->lastRow());
        m_number->setPlaceholderText(QDbSettings().value(QLatin1String(lastNumberKey)).toString());
        editFrame->show();
        m_name->setFocus();
    }

    // A machine is written at once; a refused one stays in the editor to be applied again.
    void apply()
    {
        const int row = m_table->getViewCurrentRow();
        QSqlRecord record = m_table->getRecord(row);
        if (record.isEmpty())
            return;
        record.setValue(QStringLiteral("c_name"), m_name->text());
        record.setValue(QStringLiteral("c_number"), m_number->text());
        m_table->setRow(row, record, false);
        if (!m_document->commit(hostConnection())) {
            Status->setText(QStringLiteral("Not saved: %1").arg(m_document->lastError()));
            m_panel->OnChange();
            return;
        }
        // Only a hint for the next machine: a setting not written loses nothing.
        QDbSettings().setValue(QLatin1String(lastNumberKey), m_number->text());
        showMachine();
    }

    QDataSet *m_document = nullptr;
    QDataTable *m_table = nullptr;
    QTableView *m_view = nullptr;
    QDataEditor *m_panel = nullptr;
    QLineEdit *m_name = nullptr;
    QLineEdit *m_number = nullptr;
};

QPointer<EquipmentContent> theContent;

} // namespace

// The entry points the host looks up by name.
extern "C" {

Q_DECL_EXPORT QStringList getContent()
{
    return {QStringLiteral("getInterface"), QStringLiteral("getToolBarActions")};
}

Q_DECL_EXPORT QDataSet *getDocument(QObject *parent)
{
    return moduleDocument(parent);
}

Q_DECL_EXPORT QWidget *getInterface(QWidget *parent)
{
    if (!theContent)
        theContent = new EquipmentContent(parent);
    return theContent;
}

Q_DECL_EXPORT QList<QAction *> *getToolBarActions()
{
    return theContent ? &theContent->actions : nullptr;
}

// The base name of the module's translation files (equipment_en.qm).
Q_DECL_EXPORT QString getSysName()
{
    return QStringLiteral("equipment");
}

Q_DECL_EXPORT QIcon getIcon()
{
    return QApplication::style()->standardIcon(QStyle::SP_DriveHDIcon);
}

} // extern "C"
