-- Storages still free to become a workplace of the unit. A deleted storage
-- only stays for the history of old rows, so it is offered no more.
SELECT
    s.id AS id_storage,
    s.c_name AS c_store
FROM dirs.t_storage s
WHERE NOT s.b_is_del
  AND NOT EXISTS (
        SELECT 1
        FROM t_prod_workplace w
        WHERE w.id_storage = s.id
          AND w.id_unit = :id_unit )
ORDER BY s.c_name, s.id;
