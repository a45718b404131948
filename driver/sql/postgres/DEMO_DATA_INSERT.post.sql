-- The demo rows carry explicit ids, which an identity column does not count,
-- so each sequence is moved past the largest id or the next insert from the
-- application would collide with a demo row. Written as max + 1 with
-- is_called FALSE so that a table left empty starts at 1 instead of failing.

SELECT setval(pg_get_serial_sequence('sys.t_division', 'id'),
              COALESCE((SELECT max(id) FROM sys.t_division), 0) + 1,
              FALSE);

SELECT setval(pg_get_serial_sequence('sys.t_user', 'id'),
              COALESCE((SELECT max(id) FROM sys.t_user), 0) + 1,
              FALSE);

SELECT setval(pg_get_serial_sequence('sys.t_user_right', 'id'),
              COALESCE((SELECT max(id) FROM sys.t_user_right), 0) + 1,
              FALSE);

SELECT setval(pg_get_serial_sequence('sys.t_user_attr', 'id'),
              COALESCE((SELECT max(id) FROM sys.t_user_attr), 0) + 1,
              FALSE);

SELECT setval(pg_get_serial_sequence('sys.t_doc_template', 'id'),
              COALESCE((SELECT max(id) FROM sys.t_doc_template), 0) + 1,
              FALSE);

SELECT setval(pg_get_serial_sequence('sys.t_panel', 'id'),
              COALESCE((SELECT max(id) FROM sys.t_panel), 0) + 1,
              FALSE);

SELECT setval(pg_get_serial_sequence('dirs.t_item_family', 'id'),
              COALESCE((SELECT max(id) FROM dirs.t_item_family), 0) + 1,
              FALSE);

SELECT setval(pg_get_serial_sequence('dirs.t_item', 'id'),
              COALESCE((SELECT max(id) FROM dirs.t_item), 0) + 1,
              FALSE);

SELECT setval(pg_get_serial_sequence('dirs.t_storage', 'id'),
              COALESCE((SELECT max(id) FROM dirs.t_storage), 0) + 1,
              FALSE);

SELECT setval(pg_get_serial_sequence('dirs.t_item_type', 'id'),
              COALESCE((SELECT max(id) FROM dirs.t_item_type), 0) + 1,
              FALSE);

SELECT setval(pg_get_serial_sequence('dirs.t_product', 'id'),
              COALESCE((SELECT max(id) FROM dirs.t_product), 0) + 1,
              FALSE);

SELECT setval(pg_get_serial_sequence('dirs.t_product_version', 'id'),
              COALESCE((SELECT max(id) FROM dirs.t_product_version), 0) + 1,
              FALSE);

SELECT setval(pg_get_serial_sequence('t_prod_units', 'id'),
              COALESCE((SELECT max(id) FROM t_prod_units), 0) + 1,
              FALSE);

SELECT setval(pg_get_serial_sequence('t_prod_workplace', 'id'),
              COALESCE((SELECT max(id) FROM t_prod_workplace), 0) + 1,
              FALSE);

SELECT setval(pg_get_serial_sequence('t_prod_product', 'id'),
              COALESCE((SELECT max(id) FROM t_prod_product), 0) + 1,
              FALSE);
