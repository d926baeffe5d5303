-- The suite's common database as an embedded store (SQLite): the control table and the
-- program catalogue. Names and codes compare without regard to letter case, as they do under
-- SQL Server's default collation.

CREATE TABLE vcControl (
    RecID       INTEGER PRIMARY KEY AUTOINCREMENT,
    Suite       TEXT NOT NULL COLLATE NOCASE,
    Code        TEXT NOT NULL COLLATE NOCASE,
    DBConnector TEXT,
    Details     TEXT,
    DBUser      TEXT,
    DBPswd      TEXT,
    Notes       TEXT
);

CREATE TABLE vcVersions (
    RecID       INTEGER PRIMARY KEY AUTOINCREMENT,
    PgmName     TEXT NOT NULL COLLATE NOCASE,
    Description TEXT,
    Version     TEXT
);

CREATE INDEX IX_vcVersions_PgmName ON vcVersions (PgmName);
