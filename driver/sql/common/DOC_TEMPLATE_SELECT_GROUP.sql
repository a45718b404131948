-- The caller takes the title from the third column.
SELECT
    id,
    c_type,
    c_title
FROM sys.t_doc_template
WHERE c_type = :c_type
ORDER BY id;
