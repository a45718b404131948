-- Matched as read, as units are. c_name is built exactly as in PROD_PRODUCT_SELECT so that a saved row reads
-- the same as a reloaded one.
UPDATE t_prod_product
SET id_unit = :id_unit ,
    id_version = :id_attribute
WHERE id = :id
  AND id_unit IS NOT DISTINCT FROM :old_id_unit
  AND id_version IS NOT DISTINCT FROM :old_id_attribute
RETURNING
    id,
    id_unit,
    id_version AS id_attribute,
    COALESCE(
        (SELECT COALESCE(pr.c_name, '') || ' ' || COALESCE(v.c_name, '')
                || ' (' || COALESCE(v.c_part_num, '') || ')'
         FROM dirs.t_product_version v
         LEFT JOIN dirs.t_product pr
             ON pr.id = v.id_product
         WHERE v.id = t_prod_product.id_version),
        '') AS c_name;
