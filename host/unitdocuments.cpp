#include "unitdocuments.h"
#include "hostcontract.h"
#include "qdatatable.h"
#include "qdoccreator.h"
#include "qsqlconnection.h"

#include <QAction>
#include <QEvent>
#include <QIcon>
#include <QMessageBox>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

const char documentType[] = "PROD_UNIT";
const char storeScript[] = "DOC_STORE_INSERT";

} // namespace

UnitDocuments::UnitDocuments(QWidget *content, QWidget *window)
    : QObject(window)
    , m_content(content)
    , m_window(window)
    , m_action(new QAction(QIcon(QStringLiteral(":/Icons/Preview.png")), QString(), this))
{
    m_action->setObjectName(QStringLiteral("actUnitCard"));
    connect(m_action, &QAction::triggered, this, &UnitDocuments::openDocuments);
    window->installEventFilter(this);
    retranslate();
}

void UnitDocuments::openDocuments()
{
    const qlonglong unit = currentUnit();
    if (unit <= 0) {
        QMessageBox::information(m_window, m_action->text(), tr("Choose a unit in the list first."));
        return;
    }
    auto *creator = new QDocCreator(QLatin1String(documentType), m_window);
    creator->setAttribute(Qt::WA_DeleteOnClose);
    connect(creator, &QDocCreator::saveToBase, this,
            [this, creator, unit](const QString &html) { store(creator, unit, html); });
    creator->makeDocument(unit, true);
    creator->show();
}

qlonglong UnitDocuments::currentUnit() const
{
    const QDataTable *units = m_content ? m_content->findChild<QDataTable *>(QStringLiteral("t_prod_units")) : nullptr;
    return units ? units->getViewCurrentRecord().value(QStringLiteral("id")).toLongLong() : 0;
}

// A document is saved only when the insert ran and stored its row; anything
// else is told, and the window keeps the document to be saved again.
void UnitDocuments::store(QDocCreator *creator, qlonglong unit, const QString &html)
{
    QSqlConnection *connection = hostConnection();
    QSqlRecord record;
    record.append(QSqlField(QStringLiteral("c_type"), QVariant::String));
    record.append(QSqlField(QStringLiteral("id_source"), QVariant::LongLong));
    record.append(QSqlField(QStringLiteral("c_html"), QVariant::String));
    record.setValue(QStringLiteral("c_type"), QLatin1String(documentType));
    record.setValue(QStringLiteral("id_source"), unit);
    record.setValue(QStringLiteral("c_html"), html);
    const QString script = connection ? connection->getScript(QLatin1String(storeScript)) : QString();
    QString reason = tr("The database driver has no script to store documents.");
    if (!script.isEmpty()) {
        const QSqlQuery query = connection->execScript(script, record);
        if (query.isActive() && query.numRowsAffected() == 1) {
            creator->setDocumentSaved(true);
            return;
        }
        reason = query.lastError().text();
    }
    QMessageBox::warning(creator, tr("Document not saved"), tr("The document was not saved:\n%1").arg(reason));
}

bool UnitDocuments::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    return QObject::eventFilter(watched, event);
}

void UnitDocuments::retranslate()
{
    m_action->setText(tr("Unit card"));
    m_action->setToolTip(tr("Documents of the current unit, made from the templates in the database"));
}
