-- The suite's common database on SQL Server: the control table and the program catalogue.
-- Run in the common database (for example: sqlcmd -d CorvaneCommon -i sqlserver-common.sql).

CREATE TABLE vcControl (
    RecID       int IDENTITY(1,1) NOT NULL PRIMARY KEY,
    Suite       varchar(20)   NOT NULL,
    Code        varchar(20)   NOT NULL,
    DBConnector varchar(50)   NULL,
    Details     nvarchar(255) NULL,
    DBUser      nvarchar(128) NULL,
    DBPswd      nvarchar(128) NULL,
    Notes       nvarchar(255) NULL
);
GO

CREATE TABLE vcVersions (
    RecID       int IDENTITY(1,1) NOT NULL PRIMARY KEY,
    PgmName     varchar(50)   NOT NULL,
    Description nvarchar(255) NULL,
    Version     varchar(20)   NULL
);
GO

CREATE INDEX IX_vcVersions_PgmName ON vcVersions (PgmName);
GO
