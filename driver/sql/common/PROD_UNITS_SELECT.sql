SELECT
    id,
    c_name,
    b_is_side,
    id_division,
    id_storage
FROM t_prod_units
ORDER BY c_name, id;
