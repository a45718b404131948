-- Versions the unit does not make yet, named as in PROD_PRODUCT_SELECT so
-- that a chosen line reads the same once it is added.
SELECT
    v.id,
    COALESCE(pr.c_name, '') || ' ' || COALESCE(v.c_name, '')
        || ' (' || COALESCE(v.c_part_num, '') || ')' AS c_name
FROM dirs.t_product_version v
LEFT JOIN dirs.t_product pr
    ON pr.id = v.id_product
WHERE NOT EXISTS (
        SELECT 1
        FROM t_prod_product p
        WHERE p.id_version = v.id
          AND p.id_unit = :id_unit )
ORDER BY c_name, v.id;
