SELECT
    id,
    id_parent,
    c_name
FROM dirs.t_item_type
ORDER BY id;
