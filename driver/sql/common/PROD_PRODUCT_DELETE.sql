DELETE FROM t_prod_product
WHERE id = :id ;
