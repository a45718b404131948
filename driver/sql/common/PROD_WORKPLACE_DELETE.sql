DELETE FROM t_prod_workplace
WHERE id = :id ;
