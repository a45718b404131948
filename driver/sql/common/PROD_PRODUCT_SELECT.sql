-- c_name is what the user sees, product version (part number). Every part
-- is COALESCEd because one NULL would blank the whole line.
SELECT
    p.id,
    p.id_unit,
    p.id_version AS id_attribute,
    COALESCE(pr.c_name, '') || ' ' || COALESCE(v.c_name, '')
        || ' (' || COALESCE(v.c_part_num, '') || ')' AS c_name
FROM t_prod_product p
LEFT JOIN dirs.t_product_version v
    ON v.id = p.id_version
LEFT JOIN dirs.t_product pr
    ON pr.id = v.id_product
WHERE p.id_unit = :id_unit
ORDER BY c_name, p.id;
