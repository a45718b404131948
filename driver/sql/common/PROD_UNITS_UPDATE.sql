-- An unset flag means an own unit, as on insert, rather than a NOT NULL failure.
UPDATE t_prod_units
SET c_name = :c_name ,
    b_is_side = COALESCE( :b_is_side , FALSE) ,
    id_division = :id_division ,
    id_storage = :id_storage
WHERE id = :id
RETURNING
    id,
    c_name,
    b_is_side,
    id_division,
    id_storage;
