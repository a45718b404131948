-- The module's own table, made on first use.
CREATE TABLE IF NOT EXISTS t_equipment (
    id       INTEGER PRIMARY KEY,
    c_name   TEXT NOT NULL,
    c_number TEXT
);
