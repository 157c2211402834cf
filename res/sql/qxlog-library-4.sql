-- The record library on a PostgreSQL server, format 3 to 4: each run of samples keeps a
-- checksum, SHA-256 of its first time (8 bytes), interval and count (4 bytes each), all
-- big-endian, followed by its sample bytes, so that a run whose stored times or bytes changed
-- since it was written is known for what it is. The runs held before get the checksum of what
-- they hold.

ALTER TABLE runs ADD COLUMN checksum bytea;
UPDATE runs SET checksum = sha256(int8send(first_time) || int4send(interval) || int4send(count)
                                  || samples);
ALTER TABLE runs ALTER COLUMN checksum SET NOT NULL;

INSERT INTO library_format(format) VALUES (4);
