UPDATE t_equipment
SET c_name = :c_name , c_number = :c_number
WHERE id = :id
RETURNING id, c_name, c_number;
