-- The key comes back from the server: the temporary negative id is
-- only a placeholder until this row is returned.
INSERT INTO t_prod_units (c_name, b_is_side, id_division, id_storage)
VALUES ( :c_name , COALESCE( :b_is_side , FALSE) , :id_division , :id_storage )
RETURNING
    id,
    c_name,
    b_is_side,
    id_division,
    id_storage;
