-- The record library on a PostgreSQL server, format 4 to 5: the alarm journal, to which
-- monitors and users only append (a change of an alarm, a message sent or not, who
-- acknowledged it with which comment), and the monitors' heartbeats, one row per monitor
-- renewed while it runs, so that a watch on another PC notices a monitor that stopped.

CREATE TABLE alarm_entries (
    seq bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
    alarm text NOT NULL,
    change text NOT NULL,
    kind text NOT NULL,
    level text NOT NULL,
    side text NOT NULL,
    model integer NOT NULL,
    number text NOT NULL,
    name text NOT NULL,
    channel text NOT NULL,
    value text NOT NULL,
    limit_value text NOT NULL,
    extreme text NOT NULL,
    start_time bigint NOT NULL,
    time bigint NOT NULL,
    host text NOT NULL,
    user_name text NOT NULL,
    comment text NOT NULL,
    UNIQUE (alarm, change, time, host, user_name, comment)
);
CREATE INDEX alarm_entries_by_time ON alarm_entries (time);

CREATE TABLE heartbeats (
    host text NOT NULL,
    monitor text NOT NULL,
    started bigint NOT NULL,
    time bigint NOT NULL,
    instruments text NOT NULL,
    PRIMARY KEY (host, monitor)
);

INSERT INTO library_format(format) VALUES (5);
