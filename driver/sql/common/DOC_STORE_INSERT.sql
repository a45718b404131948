-- A finished document, stored for the source record it was made for, by
-- whoever is logged in.
INSERT INTO sys.t_doc_store (c_type, id_source, c_html, c_login)
VALUES ( :c_type , :id_source , :c_html , :logged_user );
