-- Tables that later versions added to the data model. Run on every
-- connection, so that a database made by an earlier version gets them
-- without losing anything; the schema check does not require them.

-- Documents made from the templates and handed over by their window.
CREATE TABLE IF NOT EXISTS sys.t_doc_store (
    id        INTEGER PRIMARY KEY,
    c_type    TEXT NOT NULL,
    id_source INTEGER NOT NULL,
    c_html    TEXT NOT NULL,
    c_login   TEXT,
    d_saved   TEXT NOT NULL DEFAULT CURRENT_TIMESTAMP
);
