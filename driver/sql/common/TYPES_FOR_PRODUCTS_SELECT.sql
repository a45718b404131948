SELECT
    id
FROM dirs.t_types_for_products
ORDER BY id;
