-- The caller reads by position: column 0 is the value, column 1 its type code.
SELECT
    c_value,
    n_type
FROM sys.t_user_attr
WHERE c_login = :logged_user
  AND c_group = :group
  AND c_key = :key ;
