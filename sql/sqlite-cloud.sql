-- The cloud control database as an embedded store (SQLite) with the release table. Names and
-- versions compare without regard to letter case, as they do under SQL Server's default
-- collation.

CREATE TABLE vcSysProgRelease (
    RecID        INTEGER PRIMARY KEY AUTOINCREMENT,
    Suite        TEXT NOT NULL COLLATE NOCASE,
    ProgName     TEXT NOT NULL COLLATE NOCASE,
    Description  TEXT,
    Version      TEXT NOT NULL COLLATE NOCASE,
    Critical     TEXT,
    MinDBVersion TEXT,
    Notes        TEXT,
    UploadDate   TEXT,
    UploadTime   TEXT,
    RARFile      BLOB
);

CREATE INDEX IX_vcSysProgRelease_Release ON vcSysProgRelease (Suite, ProgName, Version);
