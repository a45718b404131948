-- One statement for both the first write and later ones, so that two
-- sessions of one user cannot race into a duplicate key.
INSERT INTO sys.t_user_attr (c_login, c_group, c_key, c_value, n_type)
VALUES ( :logged_user , :group , :key , :value , :type )
ON CONFLICT (c_login, c_group, c_key)
DO UPDATE SET
    c_value = excluded.c_value,
    n_type = excluded.n_type;
