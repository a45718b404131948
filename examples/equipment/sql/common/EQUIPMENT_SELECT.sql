SELECT id, c_name, c_number
FROM t_equipment
ORDER BY c_name, id;
