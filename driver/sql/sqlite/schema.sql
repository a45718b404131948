-- Creates the whole data model on an empty database.
-- The sys and dirs tables live in their own files, attached under those names
-- before this script runs. SQLite enforces FOREIGN KEY only inside one file,
-- so references that cross files are left undeclared here and are checked by
-- the temporary triggers of crossfile_triggers.sql, which must run on every
-- connection (this one included) once these tables exist.

BEGIN;

-- sys: users, rights and settings

CREATE TABLE sys.t_division (
    id       INTEGER PRIMARY KEY,
    c_name   TEXT NOT NULL,
    b_is_del BOOLEAN NOT NULL DEFAULT FALSE
);

CREATE TABLE sys.t_user (
    id          INTEGER PRIMARY KEY,
    c_login     TEXT NOT NULL UNIQUE,
    c_name      TEXT NOT NULL,
    c_salt      TEXT NOT NULL,
    c_pass_hash TEXT NOT NULL,
    b_is_admin  BOOLEAN NOT NULL DEFAULT FALSE,
    b_is_del    BOOLEAN NOT NULL DEFAULT FALSE
);

CREATE TABLE sys.t_user_right (
    id       INTEGER PRIMARY KEY,
    id_user  INTEGER NOT NULL REFERENCES t_user (id) ON DELETE CASCADE,
    c_action TEXT NOT NULL,
    UNIQUE (id_user, c_action)
);

CREATE TABLE sys.t_sys_attr (
    c_attr  TEXT PRIMARY KEY,
    c_value TEXT
);

-- Keyed by login rather than id so that settings follow a renamed login.
CREATE TABLE sys.t_user_attr (
    id      INTEGER PRIMARY KEY,
    c_login TEXT NOT NULL REFERENCES t_user (c_login) ON DELETE CASCADE ON UPDATE CASCADE,
    c_group TEXT NOT NULL,
    c_key   TEXT NOT NULL,
    c_value TEXT,
    n_type  INTEGER NOT NULL,
    UNIQUE (c_login, c_group, c_key)
);

CREATE TABLE sys.t_doc_template (
    id       INTEGER PRIMARY KEY,
    c_type   TEXT NOT NULL,
    c_title  TEXT NOT NULL,
    c_html   TEXT NOT NULL,
    c_script TEXT NOT NULL
);

CREATE TABLE sys.t_panel (
    id        INTEGER PRIMARY KEY,
    c_name    TEXT NOT NULL,
    c_library TEXT NOT NULL,
    c_caption TEXT,
    n_order   INTEGER NOT NULL DEFAULT 0
);

-- dirs: shared reference books

CREATE TABLE dirs.t_item_family (
    id     INTEGER PRIMARY KEY,
    c_name TEXT NOT NULL
);

CREATE TABLE dirs.t_item (
    id             INTEGER PRIMARY KEY,
    c_name         TEXT NOT NULL,
    id_item_family INTEGER REFERENCES t_item_family (id)
);

CREATE TABLE dirs.t_storage (
    id       INTEGER PRIMARY KEY,
    c_name   TEXT NOT NULL,
    b_is_del BOOLEAN NOT NULL DEFAULT FALSE
);

CREATE TABLE dirs.t_item_type (
    id        INTEGER PRIMARY KEY,
    id_parent INTEGER REFERENCES t_item_type (id),
    c_name    TEXT NOT NULL
);

CREATE INDEX dirs.ix_item_type_parent ON t_item_type (id_parent);

CREATE TABLE dirs.t_types_for_products (
    id INTEGER PRIMARY KEY REFERENCES t_item_type (id) ON DELETE CASCADE
);

CREATE TABLE dirs.t_product (
    id             INTEGER PRIMARY KEY,
    id_type        INTEGER NOT NULL REFERENCES t_item_type (id),
    c_name         TEXT NOT NULL,
    b_virtual      BOOLEAN NOT NULL DEFAULT FALSE,
    id_item_family INTEGER REFERENCES t_item_family (id)
);

CREATE INDEX dirs.ix_product_type ON t_product (id_type);

CREATE TABLE dirs.t_product_version (
    id         INTEGER PRIMARY KEY,
    id_product INTEGER NOT NULL REFERENCES t_product (id) ON DELETE CASCADE,
    c_name     TEXT NOT NULL,
    c_part_num TEXT NOT NULL DEFAULT '',
    id_item    INTEGER REFERENCES t_item (id)
);

CREATE INDEX dirs.ix_product_version_product ON t_product_version (id_product);

-- main: production units of this module.
-- id_division, id_storage and id_version point into other files: see
-- crossfile_triggers.sql for their checks.

CREATE TABLE t_prod_units (
    id          INTEGER PRIMARY KEY,
    c_name      TEXT NOT NULL,
    b_is_side   BOOLEAN NOT NULL DEFAULT FALSE,
    id_division INTEGER,
    id_storage  INTEGER
);

-- The parent-side triggers look children up by these columns on every
-- delete of a division or storage.
CREATE INDEX ix_prod_units_division ON t_prod_units (id_division);
CREATE INDEX ix_prod_units_storage ON t_prod_units (id_storage);

-- UNIQUE (id_unit, ...) already serves look-ups by id_unit.
CREATE TABLE t_prod_workplace (
    id         INTEGER PRIMARY KEY,
    id_unit    INTEGER NOT NULL REFERENCES t_prod_units (id) ON DELETE CASCADE,
    id_storage INTEGER NOT NULL,
    UNIQUE (id_unit, id_storage)
);

CREATE INDEX ix_prod_workplace_storage ON t_prod_workplace (id_storage);

CREATE TABLE t_prod_product (
    id         INTEGER PRIMARY KEY,
    id_unit    INTEGER NOT NULL REFERENCES t_prod_units (id) ON DELETE CASCADE,
    id_version INTEGER NOT NULL,
    UNIQUE (id_unit, id_version)
);

CREATE INDEX ix_prod_product_version ON t_prod_product (id_version);

-- The driver reads the schema version from here.
INSERT INTO sys.t_sys_attr (c_attr, c_value) VALUES ('schemaVersion', '1');

COMMIT;
