-- Roles for a record library on a PostgreSQL server. Run it as the owner of the library's
-- tables, in the library's database, once qxlog has made its tables there (or after
-- qxlog-library-1.sql), and again after a new program version brought the tables up to date:
--     psql "postgresql://OWNER@SERVER/DATABASE?sslmode=verify-full" -f qxlog-library-roles.sql
-- It makes two roles without a login and gives them what they may do:
--   qxlog_reader  browse and compare: reads the tables, the views readings and
--                 readings_between(); changes nothing.
--   qxlog_writer  the same, and adds record files and live readings: INSERT, the UPDATE of
--                 recordings and of the instrument row a writer locks; never DELETE, TRUNCATE
--                 or a change of the tables.
-- People and dashboard tools log in as roles of their own that are members, for example:
--     CREATE ROLE lab_pc LOGIN PASSWORD '...' IN ROLE qxlog_writer;
--     CREATE ROLE dashboard LOGIN PASSWORD '...' IN ROLE qxlog_reader;
-- Running it again changes nothing.

DO $$
BEGIN
    IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'qxlog_reader') THEN
        CREATE ROLE qxlog_reader NOLOGIN;
    END IF;
    IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'qxlog_writer') THEN
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
    conflicts TO qxlog_writer;
-- A writer locks its instrument's row (SELECT ... FOR UPDATE) and renews a recording's totals.
GRANT UPDATE ON instruments, recordings TO qxlog_writer;
