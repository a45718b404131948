DELETE FROM t_equipment WHERE id = :id ;
