-- The row comes back with the key the database gave it.
INSERT INTO t_equipment (c_name, c_number)
VALUES ( :c_name , :c_number )
RETURNING id, c_name, c_number;
