-- Matched as read, as units are. v is not stored. The mark set by the client is echoed back so that
-- taking the returned row does not clear it.
UPDATE t_prod_workplace
SET id_unit = :id_unit ,
    id_storage = :id_attribute
WHERE id = :id
  AND id_unit IS NOT DISTINCT FROM :old_id_unit
  AND id_storage IS NOT DISTINCT FROM :old_id_attribute
RETURNING
    id,
    id_unit,
    id_storage AS id_attribute,
    (SELECT s.c_name FROM dirs.t_storage s WHERE s.id = t_prod_workplace.id_storage) AS c_name,
    COALESCE( :v , FALSE) AS v;
