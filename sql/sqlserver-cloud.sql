-- The cloud control database on SQL Server with the release table.

IF DB_ID('CorvaneControl') IS NULL
    CREATE DATABASE CorvaneControl;
GO

USE CorvaneControl;
GO

CREATE TABLE vcSysProgRelease (
    RecID        int IDENTITY(1,1) NOT NULL PRIMARY KEY,
    Suite        varchar(20)    NOT NULL,
    ProgName     varchar(50)    NOT NULL,
    Description  nvarchar(255)  NULL,
    Version      varchar(20)    NOT NULL,
    Critical     varchar(1)     NULL,
    MinDBVersion varchar(20)    NULL,
    Notes        nvarchar(max)  NULL,
    UploadDate   varchar(10)    NULL,
    UploadTime   varchar(8)     NULL,
    RARFile      varbinary(max) NULL
);
GO

CREATE INDEX IX_vcSysProgRelease_Release ON vcSysProgRelease (Suite, ProgName, Version);
GO
