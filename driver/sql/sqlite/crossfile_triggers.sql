-- Checks the references between the main file and the attached sys and dirs
-- files, which FOREIGN KEY cannot span in SQLite. Only TEMP triggers may look
-- into other attached databases, so they vanish with the connection and this
-- script has to run on every connection, after the tables exist.
-- The messages start like the built-in ones so that callers see one kind
-- of error.

-- Child side: a new or changed reference must point at an existing row.

CREATE TEMP TRIGGER IF NOT EXISTS tr_prod_units_ref_ins
BEFORE INSERT ON main.t_prod_units
BEGIN
    SELECT RAISE(ABORT, 'FOREIGN KEY constraint failed: t_prod_units.id_division')
    WHERE NEW.id_division IS NOT NULL
      AND NOT EXISTS (SELECT 1 FROM sys.t_division WHERE id = NEW.id_division);
    SELECT RAISE(ABORT, 'FOREIGN KEY constraint failed: t_prod_units.id_storage')
    WHERE NEW.id_storage IS NOT NULL
      AND NOT EXISTS (SELECT 1 FROM dirs.t_storage WHERE id = NEW.id_storage);
END;

CREATE TEMP TRIGGER IF NOT EXISTS tr_prod_units_division_upd
BEFORE UPDATE OF id_division ON main.t_prod_units
BEGIN
    SELECT RAISE(ABORT, 'FOREIGN KEY constraint failed: t_prod_units.id_division')
    WHERE NEW.id_division IS NOT NULL
      AND NOT EXISTS (SELECT 1 FROM sys.t_division WHERE id = NEW.id_division);
END;

CREATE TEMP TRIGGER IF NOT EXISTS tr_prod_units_storage_upd
BEFORE UPDATE OF id_storage ON main.t_prod_units
BEGIN
    SELECT RAISE(ABORT, 'FOREIGN KEY constraint failed: t_prod_units.id_storage')
    WHERE NEW.id_storage IS NOT NULL
      AND NOT EXISTS (SELECT 1 FROM dirs.t_storage WHERE id = NEW.id_storage);
END;

CREATE TEMP TRIGGER IF NOT EXISTS tr_prod_workplace_ref_ins
BEFORE INSERT ON main.t_prod_workplace
BEGIN
    SELECT RAISE(ABORT, 'FOREIGN KEY constraint failed: t_prod_workplace.id_storage')
    WHERE NEW.id_storage IS NOT NULL
      AND NOT EXISTS (SELECT 1 FROM dirs.t_storage WHERE id = NEW.id_storage);
END;

CREATE TEMP TRIGGER IF NOT EXISTS tr_prod_workplace_storage_upd
BEFORE UPDATE OF id_storage ON main.t_prod_workplace
BEGIN
    SELECT RAISE(ABORT, 'FOREIGN KEY constraint failed: t_prod_workplace.id_storage')
    WHERE NEW.id_storage IS NOT NULL
      AND NOT EXISTS (SELECT 1 FROM dirs.t_storage WHERE id = NEW.id_storage);
END;

CREATE TEMP TRIGGER IF NOT EXISTS tr_prod_product_ref_ins
BEFORE INSERT ON main.t_prod_product
BEGIN
    SELECT RAISE(ABORT, 'FOREIGN KEY constraint failed: t_prod_product.id_version')
    WHERE NEW.id_version IS NOT NULL
      AND NOT EXISTS (SELECT 1 FROM dirs.t_product_version WHERE id = NEW.id_version);
END;

CREATE TEMP TRIGGER IF NOT EXISTS tr_prod_product_version_upd
BEFORE UPDATE OF id_version ON main.t_prod_product
BEGIN
    SELECT RAISE(ABORT, 'FOREIGN KEY constraint failed: t_prod_product.id_version')
    WHERE NEW.id_version IS NOT NULL
      AND NOT EXISTS (SELECT 1 FROM dirs.t_product_version WHERE id = NEW.id_version);
END;

-- Parent side: a referenced row may be neither deleted nor renumbered.
-- Versions removed by the cascade from dirs.t_product fire these too, so a
-- product that a unit still makes cannot be deleted either.

CREATE TEMP TRIGGER IF NOT EXISTS tr_division_del
BEFORE DELETE ON sys.t_division
BEGIN
    SELECT RAISE(ABORT, 'FOREIGN KEY constraint failed: t_prod_units.id_division')
    WHERE EXISTS (SELECT 1 FROM main.t_prod_units WHERE id_division = OLD.id);
END;

CREATE TEMP TRIGGER IF NOT EXISTS tr_division_id_upd
BEFORE UPDATE OF id ON sys.t_division
WHEN NEW.id IS NOT OLD.id
BEGIN
    SELECT RAISE(ABORT, 'FOREIGN KEY constraint failed: t_prod_units.id_division')
    WHERE EXISTS (SELECT 1 FROM main.t_prod_units WHERE id_division = OLD.id);
END;

CREATE TEMP TRIGGER IF NOT EXISTS tr_storage_del
BEFORE DELETE ON dirs.t_storage
BEGIN
    SELECT RAISE(ABORT, 'FOREIGN KEY constraint failed: t_prod_units.id_storage')
    WHERE EXISTS (SELECT 1 FROM main.t_prod_units WHERE id_storage = OLD.id);
    SELECT RAISE(ABORT, 'FOREIGN KEY constraint failed: t_prod_workplace.id_storage')
    WHERE EXISTS (SELECT 1 FROM main.t_prod_workplace WHERE id_storage = OLD.id);
END;

CREATE TEMP TRIGGER IF NOT EXISTS tr_storage_id_upd
BEFORE UPDATE OF id ON dirs.t_storage
WHEN NEW.id IS NOT OLD.id
BEGIN
    SELECT RAISE(ABORT, 'FOREIGN KEY constraint failed: t_prod_units.id_storage')
    WHERE EXISTS (SELECT 1 FROM main.t_prod_units WHERE id_storage = OLD.id);
    SELECT RAISE(ABORT, 'FOREIGN KEY constraint failed: t_prod_workplace.id_storage')
    WHERE EXISTS (SELECT 1 FROM main.t_prod_workplace WHERE id_storage = OLD.id);
END;

CREATE TEMP TRIGGER IF NOT EXISTS tr_product_version_del
BEFORE DELETE ON dirs.t_product_version
BEGIN
    SELECT RAISE(ABORT, 'FOREIGN KEY constraint failed: t_prod_product.id_version')
    WHERE EXISTS (SELECT 1 FROM main.t_prod_product WHERE id_version = OLD.id);
END;

CREATE TEMP TRIGGER IF NOT EXISTS tr_product_version_id_upd
BEFORE UPDATE OF id ON dirs.t_product_version
WHEN NEW.id IS NOT OLD.id
BEGIN
    SELECT RAISE(ABORT, 'FOREIGN KEY constraint failed: t_prod_product.id_version')
    WHERE EXISTS (SELECT 1 FROM main.t_prod_product WHERE id_version = OLD.id);
END;
