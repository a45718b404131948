SELECT
    id,
    id_product,
    c_name,
    c_part_num,
    id_item
FROM dirs.t_product_version
ORDER BY id;
