-- Workplaces and products of the unit go with it (ON DELETE CASCADE).
-- Deleted by key, so that a unit someone else deleted first is simply gone;
-- the returned flag tells whether the unit was still as this client read
-- it, and when it was not the client undoes the delete and reports a
-- conflict.
DELETE FROM t_prod_units
WHERE id = :id
RETURNING
    c_name IS NOT DISTINCT FROM :old_c_name
    AND b_is_side IS NOT DISTINCT FROM :old_b_is_side
    AND id_division IS NOT DISTINCT FROM :old_id_division
    AND id_storage IS NOT DISTINCT FROM :old_id_storage AS b_as_read;
