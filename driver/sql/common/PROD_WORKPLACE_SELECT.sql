-- v marks the personal storage of an outside unit. It is not stored with the
-- workplace but derived from the unit, and must never be NULL for the check
-- box. LEFT JOIN keeps a workplace visible (and removable) even if its
-- storage row were missing.
SELECT
    w.id,
    w.id_unit,
    w.id_storage AS id_attribute,
    s.c_name AS c_name,
    COALESCE(u.b_is_side AND u.id_storage = w.id_storage, FALSE) AS v
FROM t_prod_workplace w
JOIN t_prod_units u
    ON u.id = w.id_unit
LEFT JOIN dirs.t_storage s
    ON s.id = w.id_storage
WHERE w.id_unit = :id_unit
ORDER BY s.c_name, w.id;
