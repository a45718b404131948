-- Deleted by key and checked as units are.
DELETE FROM t_prod_workplace
WHERE id = :id
RETURNING
    id_unit IS NOT DISTINCT FROM :old_id_unit
    AND id_storage IS NOT DISTINCT FROM :old_id_attribute AS b_as_read;
