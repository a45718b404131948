-- An unset flag means an own unit, as on insert, rather than a NOT NULL failure.
-- The row must still be as this client read it: a row another user changed
-- or deleted meanwhile matches nothing, and the client reports a conflict
-- instead of writing over that user's work.
UPDATE t_prod_units
SET c_name = :c_name ,
    b_is_side = COALESCE( :b_is_side , FALSE) ,
    id_division = :id_division ,
    id_storage = :id_storage
WHERE id = :id
  AND c_name IS NOT DISTINCT FROM :old_c_name
  AND b_is_side IS NOT DISTINCT FROM :old_b_is_side
  AND id_division IS NOT DISTINCT FROM :old_id_division
  AND id_storage IS NOT DISTINCT FROM :old_id_storage
RETURNING
    id,
    c_name,
    b_is_side,
    id_division,
    id_storage;
