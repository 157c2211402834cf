-- The record library on a PostgreSQL server, format 1 to 2: a record file's path is kept as
-- the bytes the file system names it by, whatever their encoding (a folder named in GB18030
-- is not UTF-8, which a text column refuses). Paths kept as text before are their UTF-8 bytes.

ALTER TABLE files ALTER COLUMN path TYPE bytea USING convert_to(path, 'UTF8');

INSERT INTO library_format(format) VALUES (2);
