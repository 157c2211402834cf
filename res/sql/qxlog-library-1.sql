-- The record library on a PostgreSQL server, format 1: the tables of the program's library
-- and the views a dashboard charts. qxlog makes this itself the first time it opens a library
-- in an empty database (it never creates the database); run by hand (psql -1 -f) it does the
-- same. Each format's script ends by noting its format in library_format.
-- Times are seconds since 1970-01-01 00:00 UTC; samples are kept as runs of one recording at
-- equal intervals, packed as the record file holds them, with their decoded readings beside.

CREATE TABLE library_format(
    format integer PRIMARY KEY,
    applied timestamptz NOT NULL DEFAULT now());

CREATE TABLE instruments(
    id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
    model integer NOT NULL,
    model_name text NOT NULL,
    number text NOT NULL,
    UNIQUE(model, number));

CREATE TABLE instrument_names(
    instrument bigint NOT NULL REFERENCES instruments(id),
    name text NOT NULL,
    PRIMARY KEY(instrument, name));

-- excursion_spans: the stretches of time with an excursion, first and last time of each in
-- turn (renewed with the totals, so that renewing never deletes rows).
CREATE TABLE recordings(
    id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
    instrument bigint NOT NULL REFERENCES instruments(id),
    start_time bigint NOT NULL,
    interval integer NOT NULL,
    settings text NOT NULL,
    header bytea NOT NULL,
    name text NOT NULL,
    first_time bigint NOT NULL,
    last_time bigint NOT NULL,
    samples bigint NOT NULL,
    excursions bigint NOT NULL,
    excursion_spans bigint[] NOT NULL DEFAULT '{}',
    UNIQUE(instrument, start_time, interval, settings));

-- The quantities a recording's readings hold, in the order of each sample's readings.
CREATE TABLE recording_quantities(
    recording bigint NOT NULL REFERENCES recordings(id),
    position integer NOT NULL,
    quantity text NOT NULL,
    unit text NOT NULL,
    PRIMARY KEY(recording, position));

-- readings: the decoded values, sample by sample, one per quantity of the recording.
CREATE TABLE runs(
    id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
    recording bigint NOT NULL REFERENCES recordings(id),
    instrument bigint NOT NULL REFERENCES instruments(id),
    first_time bigint NOT NULL,
    last_time bigint NOT NULL,
    interval integer NOT NULL,
    count integer NOT NULL,
    samples bytea NOT NULL,
    readings real[] NOT NULL);
CREATE INDEX runs_by_time ON runs(instrument, first_time);
CREATE INDEX runs_by_last_time ON runs(last_time, first_time);
CREATE INDEX runs_by_recording ON runs(recording, first_time);

CREATE TABLE files(
    id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
    recording bigint NOT NULL REFERENCES recordings(id),
    path text NOT NULL,
    size bigint NOT NULL,
    hash bytea NOT NULL,
    added_time bigint NOT NULL,
    samples bigint NOT NULL,
    new_samples bigint NOT NULL,
    conflicts bigint NOT NULL,
    UNIQUE(path, hash));
CREATE INDEX files_by_hash ON files(hash);
CREATE INDEX files_by_recording ON files(recording);

CREATE TABLE conflicts(
    file bigint NOT NULL REFERENCES files(id),
    time bigint NOT NULL,
    sample bytea NOT NULL,
    PRIMARY KEY(file, time));

-- Every reading of the library, one row each: what a dashboard charts.
CREATE VIEW readings AS
    SELECT to_timestamp(r.first_time + k.k * r.interval) AS time, i.model_name AS model,
           i.number AS instrument, rec.name, q.quantity, q.unit,
           r.readings[k.k * nq.n + q.position + 1] AS value
    FROM runs r
    JOIN instruments i ON i.id = r.instrument
    JOIN recordings rec ON rec.id = r.recording
    CROSS JOIN LATERAL (SELECT count(*)::integer AS n FROM recording_quantities
                        WHERE recording = r.recording) nq
    CROSS JOIN LATERAL generate_series(0, r.count - 1) k(k)
    JOIN recording_quantities q ON q.recording = r.recording;

-- The readings between two times (both included): the same rows, reading only the runs that
-- meet the time range, which a dashboard over a long history wants.
CREATE FUNCTION readings_between(from_time timestamptz, to_time timestamptz)
RETURNS TABLE("time" timestamptz, model text, instrument text, name text, quantity text,
              unit text, value real)
LANGUAGE sql STABLE AS $$
    SELECT to_timestamp(r.first_time + k.k * r.interval), i.model_name, i.number, rec.name,
           q.quantity, q.unit, r.readings[k.k * nq.n + q.position + 1]
    FROM runs r
    JOIN instruments i ON i.id = r.instrument
    JOIN recordings rec ON rec.id = r.recording
    CROSS JOIN LATERAL (SELECT count(*)::integer AS n FROM recording_quantities
                        WHERE recording = r.recording) nq
    CROSS JOIN LATERAL generate_series(
        greatest(0, ceil((extract(epoch FROM from_time)::float8 - r.first_time) / r.interval))
            ::bigint,
        least(r.count - 1, floor((extract(epoch FROM to_time)::float8 - r.first_time) / r.interval))
            ::bigint) k(k)
    JOIN recording_quantities q ON q.recording = r.recording
    WHERE r.last_time >= extract(epoch FROM from_time)::float8
      AND r.first_time <= extract(epoch FROM to_time)::float8
$$;

INSERT INTO library_format(format) VALUES (1);
