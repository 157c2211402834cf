-- The record library on a PostgreSQL server, format 2 to 3: the PC whose file system holds a
-- record file's path (its host name), so that a file another PC added is not taken for one
-- missing here. Files added before keep '' and count as the PC's that reads them.

ALTER TABLE files ADD COLUMN host text NOT NULL DEFAULT '';

INSERT INTO library_format(format) VALUES (3);
