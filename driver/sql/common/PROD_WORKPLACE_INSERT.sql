-- v is not stored. The mark set by the client is echoed back so that
-- taking the returned row does not clear it.
INSERT INTO t_prod_workplace (id_unit, id_storage)
VALUES ( :id_unit , :id_attribute )
RETURNING
    id,
    id_unit,
    id_storage AS id_attribute,
    (SELECT s.c_name FROM dirs.t_storage s WHERE s.id = t_prod_workplace.id_storage) AS c_name,
    COALESCE( :v , FALSE) AS v;
