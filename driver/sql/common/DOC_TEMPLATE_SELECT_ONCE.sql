SELECT
    id,
    c_type,
    c_title,
    c_html,
    c_script
FROM sys.t_doc_template
WHERE id = :id ;
