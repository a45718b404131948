SELECT
    id,
    id_type,
    c_name,
    b_virtual,
    id_item_family
FROM dirs.t_product
ORDER BY id;
