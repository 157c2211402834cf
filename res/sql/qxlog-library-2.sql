-- The record library on a PostgreSQL server, format 1 to 2: a record file's path is kept as
-- the bytes the file system names it by, whatever their encoding (a folder named in GB18030
-- is not UTF-8, which a text column refuses). Paths kept as text before are their UTF-8 bytes.
-- A recording's first and last time and its number of samples are kept equal to its runs by
-- the server, whoever renews them.

ALTER TABLE files ALTER COLUMN path TYPE bytea USING convert_to(path, 'UTF8');

CREATE FUNCTION recording_totals_of_runs() RETURNS trigger
LANGUAGE plpgsql AS $$
DECLARE
    n bigint;
    first_of bigint;
    last_of bigint;
BEGIN
    SELECT coalesce(sum(count), 0), min(first_time), max(last_time) INTO n, first_of, last_of
        FROM runs WHERE recording = NEW.id;
    NEW.samples := n;
    IF n > 0 THEN
        NEW.first_time := first_of;
        NEW.last_time := last_of;
    ELSE
        NEW.first_time := OLD.first_time;
        NEW.last_time := OLD.last_time;
    END IF;
    RETURN NEW;
END
$$;
CREATE TRIGGER recording_totals_of_runs BEFORE UPDATE ON recordings
    FOR EACH ROW EXECUTE FUNCTION recording_totals_of_runs();

INSERT INTO library_format(format) VALUES (2);
