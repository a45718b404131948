-- Workplaces and products of the unit go with it (ON DELETE CASCADE).
DELETE FROM t_prod_units
WHERE id = :id ;
