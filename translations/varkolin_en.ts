<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>AttributeDialog</name>
    <message>
        <source>Атрибут</source>
        <translation>Attribute</translation>
    </message>
    <message>
        <source>TextLabel</source>
        <translation>TextLabel</translation>
    </message>
    <message>
        <source>Принять</source>
        <translation>Accept</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Нет не связанных рабочих мест</source>
        <translation>There are no unlinked workplaces</translation>
    </message>
    <message>
        <source>Данное подразделение выпускает все изделия</source>
        <translation>This unit already makes every product</translation>
    </message>
    <message>
        <source>Внимание</source>
        <translation>Attention</translation>
    </message>
</context>
<context>
    <name>AttributeMoveDialog</name>
    <message>
        <source>Переместить атрибут</source>
        <translation>Move attribute</translation>
    </message>
    <message>
        <source>Переместить в</source>
        <translation>Move to</translation>
    </message>
    <message>
        <source>Принять</source>
        <translation>Accept</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>ModuleDocument</name>
    <message>
        <source>Подразделение</source>
        <translation>Unit</translation>
    </message>
    <message>
        <source>Внешнее</source>
        <translation>Outside</translation>
    </message>
    <message>
        <source>Компания</source>
        <translation>Company</translation>
    </message>
    <message>
        <source>Рабочее место</source>
        <translation>Workplace</translation>
    </message>
    <message>
        <source>Персональный склад стороннего предприятия</source>
        <translation>Personal storage of the outside company</translation>
    </message>
    <message>
        <source>Выпускаемые изделия</source>
        <translation>Products made</translation>
    </message>
</context>
<context>
    <name>ProductDialog</name>
    <message>
        <source>Изделия</source>
        <translation>Products</translation>
    </message>
    <message>
        <source>Наименование</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Принять</source>
        <translation>Accept</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>QApplication</name>
    <message>
        <source>Unknown database</source>
        <translation>Unknown database</translation>
    </message>
    <message>
        <source>Database is invalid or corrupted. Want for create?</source>
        <translation>Database is invalid or corrupted. Want for create?</translation>
    </message>
    <message>
        <source>Internal error </source>
        <translation>Internal error </translation>
    </message>
    <message>
        <source>System can not startup,</source>
        <translation>System can not startup,</translation>
    </message>
</context>
<context>
    <name>QCommentDialog</name>
    <message>
        <source>Add comment</source>
        <translation>Add comment</translation>
    </message>
    <message>
        <source>View comment</source>
        <translation>View comment</translation>
    </message>
    <message>
        <source>Edit comment</source>
        <translation>Edit comment</translation>
    </message>
</context>
<context>
    <name>QDataEditor</name>
    <message>
        <source>Применить</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>QDataTable</name>
    <message>
        <source>Запись &quot;%1&quot; изменена или удалена другим пользователем. Обновите данные и повторите.</source>
        <translation>The record &quot;%1&quot; was changed or deleted by another user. Refresh the data and try again.</translation>
    </message>
    <message>
        <source>the select gave no result set</source>
        <translation>the select gave no result set</translation>
    </message>
    <message>
        <source>Отладка</source>
        <translation>Debugging</translation>
    </message>
    <message>
        <source>Таблица &apos;%1&apos;
ID = %2</source>
        <translation>Table &apos;%1&apos;
ID = %2</translation>
    </message>
    <message>
        <source>Commit of table %1 stopped: the %2 script returned no row for %3</source>
        <translation>Commit of table %1 stopped: the %2 script returned no row for %3</translation>
    </message>
</context>
<context>
    <name>QDocCreator</name>
    <message>
        <source>The script ran longer than %1 seconds and was stopped.</source>
        <translation>The script ran longer than %1 seconds and was stopped.</translation>
    </message>
    <message>
        <source>Script error</source>
        <translation>Script error</translation>
    </message>
    <message>
        <source>Save failed</source>
        <translation>Save failed</translation>
    </message>
    <message>
        <source>The document was not saved to %1:
%2</source>
        <translation>The document was not saved to %1:
%2</translation>
    </message>
    <message>
        <source>Save to HTML</source>
        <translation>Save to HTML</translation>
    </message>
    <message>
        <source>HTML documents (*.html)</source>
        <translation>HTML documents (*.html)</translation>
    </message>
    <message>
        <source>Save to PDF</source>
        <translation>Save to PDF</translation>
    </message>
    <message>
        <source>PDF documents (*.pdf)</source>
        <translation>PDF documents (*.pdf)</translation>
    </message>
    <message>
        <source>the PDF could not be written</source>
        <translation>the PDF could not be written</translation>
    </message>
    <message>
        <source>Print document</source>
        <translation>Print document</translation>
    </message>
</context>
<context>
    <name>QDocCreatorClass</name>
    <message>
        <source>MainWindow</source>
        <translation>Document</translation>
    </message>
    <message>
        <source>Templates:</source>
        <translation>Templates:</translation>
    </message>
    <message>
        <source>toolBar</source>
        <translation>toolBar</translation>
    </message>
    <message>
        <source>Save to HTML</source>
        <translation>Save to HTML</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>Save to PDF</source>
        <translation>Save to PDF</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>Save to DB</source>
        <translation>Save to DB</translation>
    </message>
</context>
<context>
    <name>QRecentListDialog</name>
    <message>
        <source>Recent list</source>
        <translation>Recent list</translation>
    </message>
    <message>
        <source>Quick search:</source>
        <translation>Quick search:</translation>
    </message>
</context>
<context>
    <name>QScriptParams</name>
    <message>
        <source>Open file</source>
        <translation>Open file</translation>
    </message>
</context>
<context>
    <name>QSqlConnection</name>
    <message>
        <source>no connection to the database</source>
        <translation>no connection to the database</translation>
    </message>
    <message>
        <source>the statement did not run</source>
        <translation>the statement did not run</translation>
    </message>
    <message>
        <source>a transaction is already open</source>
        <translation>a transaction is already open</translation>
    </message>
    <message>
        <source>no transaction is open</source>
        <translation>no transaction is open</translation>
    </message>
</context>
<context>
    <name>QUserInterfaceClass</name>
    <message>
        <source>Найти:</source>
        <translation>Find:</translation>
    </message>
    <message>
        <source>Поиск</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>Ctrl+F</source>
        <translation>Ctrl+F</translation>
    </message>
</context>
<context>
    <name>QWaitDialog</name>
    <message>
        <source>Пожалуйста подождите...</source>
        <translation>Please wait...</translation>
    </message>
</context>
<context>
    <name>TableLoadWatch</name>
    <message>
        <source>Таблица %1: %2</source>
        <translation>Table %1: %2</translation>
    </message>
    <message>
        <source>Данные не загружены из базы данных:
%1</source>
        <translation>The data were not loaded from the database:
%1</translation>
    </message>
    <message>
        <source>Ошибка загрузки</source>
        <translation>Loading failed</translation>
    </message>
</context>
<context>
    <name>UnitDialog</name>
    <message>
        <source>Подразделение</source>
        <translation>Unit</translation>
    </message>
    <message>
        <source>введите название подразделения</source>
        <translation>enter the name of the unit</translation>
    </message>
    <message>
        <source>Компания</source>
        <translation>Company</translation>
    </message>
    <message>
        <source>стороннее
предприятие</source>
        <translation>outside
company</translation>
    </message>
    <message>
        <source>Принять</source>
        <translation>Accept</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>Utilities</name>
    <message>
        <source>Извлечь вложение</source>
        <translation>Extract attachment</translation>
    </message>
    <message>
        <source>Внимание!</source>
        <translation>Attention!</translation>
    </message>
    <message>
        <source>Файл %1 не найден</source>
        <translation>File %1 not found</translation>
    </message>
</context>
<context>
    <name>VarkolinContent</name>
    <message>
        <source>Справочник участков производства</source>
        <translation>Production sites</translation>
    </message>
    <message>
        <source>Всего подразделений: %1</source>
        <translation>Units in all: %1</translation>
    </message>
    <message>
        <source>Несохранённые изменения</source>
        <translation>Unsaved changes</translation>
    </message>
    <message>
        <source>Сохранить изменения подразделения &quot;%1&quot;?</source>
        <translation>Save the changes of the unit &quot;%1&quot;?</translation>
    </message>
    <message>
        <source>Нет подразделения, в названии которого есть «%1»</source>
        <translation>No unit has “%1” in its name</translation>
    </message>
    <message>
        <source>Сохранено</source>
        <translation>Saved</translation>
    </message>
    <message>
        <source>Изменения подразделения «%1» сохранены.</source>
        <translation>The changes of the unit “%1” are saved.</translation>
    </message>
</context>
<context>
    <name>VarkolinEditor</name>
    <message>
        <source>Form</source>
        <translation>Form</translation>
    </message>
    <message>
        <source>Рабочие места</source>
        <translation>Workplaces</translation>
    </message>
    <message>
        <source>Выпускаемая продукция</source>
        <translation>Products made</translation>
    </message>
    <message>
        <source>Склад</source>
        <translation>Storage</translation>
    </message>
    <message>
        <source>Создать</source>
        <translation>New</translation>
    </message>
    <message>
        <source>Редактировать</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>Удалить</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Переместить</source>
        <translation>Move</translation>
    </message>
    <message>
        <source>Ошибка сохранения</source>
        <translation>Saving failed</translation>
    </message>
    <message>
        <source>Изменения не сохранены:
%1</source>
        <translation>The changes were not saved:
%1</translation>
    </message>
</context>
<context>
    <name>VarkolinView</name>
    <message>
        <source>VarkolinView</source>
        <translation>VarkolinView</translation>
    </message>
    <message>
        <source>Добавить</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>Добавить новое подразделение</source>
        <translation>Add a new unit</translation>
    </message>
    <message>
        <source>Изменить</source>
        <translation>Change</translation>
    </message>
    <message>
        <source>Редактировать название подразделения</source>
        <translation>Edit the name of the unit</translation>
    </message>
    <message>
        <source>Удалить</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Удалить подразделение</source>
        <translation>Delete the unit</translation>
    </message>
    <message>
        <source>Ошибка сохранения</source>
        <translation>Saving failed</translation>
    </message>
    <message>
        <source>Изменения не сохранены:
%1</source>
        <translation>The changes were not saved:
%1</translation>
    </message>
    <message>
        <source>Удаление</source>
        <translation>Deletion</translation>
    </message>
</context>
<context>
    <name>photoDialog</name>
    <message>
        <source>Захват с камеры</source>
        <translation>Camera capture</translation>
    </message>
    <message>
        <source>Камера</source>
        <translation>Camera</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;&amp;lt;Пробел&amp;gt; сделать фото&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;&amp;lt;Space&amp;gt; take a photo&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>Фото</source>
        <translation>Photo</translation>
    </message>
    <message>
        <source>Space</source>
        <translation>Space</translation>
    </message>
</context>
<context>
    <name>qCommentDialog</name>
    <message>
        <source>Comment</source>
        <translation>Comment</translation>
    </message>
</context>
</TS>
