-- Roles for a record library on a PostgreSQL server. Run it as the owner of the library's
-- tables, in the library's database, once qxlog has made its tables there (or after
-- qxlog-library-1.sql and the later steps), and again after a new program version brought the
-- tables up to date:
--     psql "postgresql://OWNER@SERVER/DATABASE?sslmode=verify-full" -f qxlog-library-roles.sql
-- It gives two roles without a login what they may do:
--   qxlog_reader  browse and compare: reads the tables, the views readings and
--                 readings_between(); changes nothing.
--   qxlog_writer  the same, and adds record files and live readings: INSERT, and UPDATE of only
--                 the columns the program renews (a recording's header and totals, which the
--                 server keeps equal to the recording's runs; the instrument row a writer
--                 locks); never DELETE, TRUNCATE, a change of the tables, of an instrument's
--                 model or number, or of what a recording is.
-- Making roles takes a superuser (or CREATEROLE): the server's superuser makes the two roles
-- first,
--     CREATE ROLE qxlog_reader NOLOGIN; CREATE ROLE qxlog_writer NOLOGIN;
-- or the script makes them when the one running it may. People and dashboard tools log in as
-- roles of their own that are members, made by the superuser too:
--     CREATE ROLE lab_pc LOGIN PASSWORD '...' IN ROLE qxlog_writer;
--     CREATE ROLE dashboard LOGIN PASSWORD '...' IN ROLE qxlog_reader;
-- Running it again changes nothing.

DO $$
DECLARE
    may_make boolean;
BEGIN
    SELECT rolsuper OR rolcreaterole INTO may_make FROM pg_roles WHERE rolname = current_user;
    IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'qxlog_reader') THEN
        IF NOT may_make THEN
            RAISE EXCEPTION 'role qxlog_reader does not exist, and % may not make roles', current_user
                USING HINT = 'the server''s superuser makes it: CREATE ROLE qxlog_reader NOLOGIN';
        END IF;
        CREATE ROLE qxlog_reader NOLOGIN;
    END IF;
    IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'qxlog_writer') THEN
        IF NOT may_make THEN
            RAISE EXCEPTION 'role qxlog_writer does not exist, and % may not make roles', current_user
                USING HINT = 'the server''s superuser makes it: CREATE ROLE qxlog_writer NOLOGIN';
        END IF;
        CREATE ROLE qxlog_writer NOLOGIN;
    END IF;
    IF to_regclass('library_format') IS NULL THEN
        RAISE EXCEPTION 'no record library in schema %: let qxlog make its tables first',
            current_schema();
    END IF;
    EXECUTE format('GRANT CONNECT ON DATABASE %I TO qxlog_reader, qxlog_writer',
                   current_database());
    EXECUTE format('GRANT USAGE ON SCHEMA %I TO qxlog_reader, qxlog_writer', current_schema());
    EXECUTE format('GRANT SELECT ON ALL TABLES IN SCHEMA %I TO qxlog_reader, qxlog_writer',
                   current_schema());
END
$$;

GRANT EXECUTE ON FUNCTION readings_between(timestamptz, timestamptz)
    TO qxlog_reader, qxlog_writer;

GRANT INSERT ON instruments, instrument_names, recordings, recording_quantities, runs, files,
    conflicts, alarm_entries, heartbeats TO qxlog_writer;
-- A monitor renews its own heartbeat.
GRANT UPDATE (time, instruments) ON heartbeats TO qxlog_writer;
-- UPDATE of the columns the program renews only; revoking the whole tables' first takes back
-- what an earlier version of this script granted.
REVOKE UPDATE ON instruments, recordings FROM qxlog_writer;
-- A writer locks its instrument's row (SELECT ... FOR UPDATE takes UPDATE of a column; id is
-- generated always and referenced, so it cannot be changed through this grant).
GRANT UPDATE (id) ON instruments TO qxlog_writer;
-- ... and renews a recording's header and totals.
GRANT UPDATE (header, first_time, last_time, samples, excursions, excursion_spans)
    ON recordings TO qxlog_writer;
