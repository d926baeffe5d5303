#include "SqlDialect.h"

#include "DataSYS.h"

QString SqlLiteral(const QString& value) {
    QString v = value;
    v.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + v + QLatin1Char('\'');
}

bool IsEmbeddedConnector(const QString& connector) {
    return UpperAscii(TrimControl(connector)) == QLatin1String("SQLITE");
}

namespace {

const QString kSuite = QStringLiteral("CORVANE");

// The condition that names one release.
QString ReleaseCondition(const ReleaseRecord& r) {
    return QStringLiteral(" WHERE [Suite] = ") + SqlLiteral(kSuite) +
           QStringLiteral(" AND [ProgName] = ") + SqlLiteral(r.progName) +
           QStringLiteral(" AND [Version] = ") + SqlLiteral(r.version);
}

// The SET list of the update branch. The clocks are read as each piece is added.
QString UpdateBranch(const ReleaseRecord& r, const std::function<QString()>& dateText,
                     const std::function<QString()>& timeText) {
    QString s = QStringLiteral("UPDATE [vcSysProgRelease] SET ");
    s += QStringLiteral("[Description] = ") + SqlLiteral(r.description) + QLatin1Char(',');
    s += QStringLiteral("[Critical] = ") + SqlLiteral(r.critical) + QLatin1Char(',');
    s += QStringLiteral("[MinDBVersion] = ") + SqlLiteral(r.minDBVersion) + QLatin1Char(',');
    s += QStringLiteral("[Notes] = ") + SqlLiteral(r.notes) + QLatin1Char(',');
    s += QStringLiteral("[UploadDate] = ") + SqlLiteral(dateText()) + QLatin1Char(',');
    s += QStringLiteral("[UploadTime] = ") + SqlLiteral(timeText());
    s += ReleaseCondition(r);
    return s;
}

QString InsertColumns() {
    return QStringLiteral("INSERT INTO [vcSysProgRelease] ( ") +
           QStringLiteral("[Suite], [ProgName], [Description], [Version], [Critical], ") +
           QStringLiteral("[MinDBVersion], [Notes], [UploadDate], [UploadTime]  ");
}

// The inserted values, comma-separated without blanks.
QString InsertValues(const ReleaseRecord& r, const std::function<QString()>& dateText,
                     const std::function<QString()>& timeText) {
    QString s = SqlLiteral(kSuite);
    s += QLatin1Char(',') + SqlLiteral(r.progName);
    s += QLatin1Char(',') + SqlLiteral(r.description);
    s += QLatin1Char(',') + SqlLiteral(r.version);
    s += QLatin1Char(',') + SqlLiteral(r.critical);
    s += QLatin1Char(',') + SqlLiteral(r.minDBVersion);
    s += QLatin1Char(',') + SqlLiteral(r.notes);
    s += QLatin1Char(',') + SqlLiteral(dateText());
    s += QLatin1Char(',') + SqlLiteral(timeText());
    return s;
}

class SqlServerSqlDialect final : public SqlDialect {
  public:
    bool IsEmbedded() const override { return false; }

    QStringList CloudSettingsLines() const override {
        return {QStringLiteral("SELECT * FROM vcControl"),
                QStringLiteral(" WHERE [Suite] = ") + SqlLiteral(kSuite),
                QStringLiteral(" AND [Code] = ") + SqlLiteral(QStringLiteral("CLOUDSVR"))};
    }
    QStringList ProgramDescriptionLines(const QString& key) const override {
        return {QStringLiteral("SELECT [PgmName], [Description], [Version] "),
                QStringLiteral(" FROM vcVersions WITH (NOLOCK) "),
                QStringLiteral(" WHERE [PgmName] = ") + SqlLiteral(key)};
    }
    QStringList CloudListLines() const override {
        return {QStringLiteral("SELECT [ProgName], [Description], [Version], [Critical], "),
                QStringLiteral(" [UploadDate], [UploadTime] "),
                QStringLiteral(" FROM vcSysProgRelease WITH (NOLOCK) "),
                QStringLiteral(" ORDER BY [ProgName] ")};
    }
    QString RemovalStatement(const QString& progName) const override {
        return QStringLiteral("DELETE FROM vcSysProgRelease ") +
               QStringLiteral(" WHERE [ProgName] = ") + SqlLiteral(progName);
    }
    QStringList ReleaseStatements(const ReleaseRecord& r, const std::function<QString()>& dateText,
                                  const std::function<QString()>& timeText) const override {
        QString s = QStringLiteral("IF EXISTS ( ");
        s += QStringLiteral("SELECT [RecID] FROM [vcSysProgRelease] WITH (NOLOCK) ");
        s += ReleaseCondition(r);
        s += QStringLiteral(" ) ");
        s += UpdateBranch(r, dateText, timeText);
        s += QStringLiteral(" ELSE ");
        s += InsertColumns();
        s += QStringLiteral(" ) VALUES ( ");
        s += InsertValues(r, dateText, timeText) + QLatin1Char(')');
        return {s};
    }
    QString BlobStatement(const QString& progName, const QString& version) const override {
        return QStringLiteral("UPDATE vcSysProgRelease SET ") +
               QStringLiteral(" [RARFile] = :imgBlob") + QStringLiteral(" WHERE [Suite] = ") +
               SqlLiteral(kSuite) + QStringLiteral(" AND [ProgName] = ") + SqlLiteral(progName) +
               QStringLiteral(" AND [Version] = ") + SqlLiteral(version);
    }
    QStringList DownloadLines(const QString& progName) const override {
        return {QStringLiteral("SELECT * FROM vcSysProgRelease WITH (NOLOCK) "),
                QStringLiteral(" WHERE [Suite] = ") + SqlLiteral(kSuite),
                QStringLiteral(" AND [ProgName] = ") + SqlLiteral(progName)};
    }
};

// The embedded store knows no table hints, and IF ... ELSE is not SQL it understands: the
// release becomes an UPDATE and an INSERT that only adds the row when the UPDATE found none.
class EmbeddedSqlDialect final : public SqlDialect {
  public:
    bool IsEmbedded() const override { return true; }

    QStringList CloudSettingsLines() const override {
        return SqlServerDialect().CloudSettingsLines();
    }
    QStringList ProgramDescriptionLines(const QString& key) const override {
        return {QStringLiteral("SELECT [PgmName], [Description], [Version] "),
                QStringLiteral(" FROM vcVersions "),
                QStringLiteral(" WHERE [PgmName] = ") + SqlLiteral(key)};
    }
    QStringList CloudListLines() const override {
        return {QStringLiteral("SELECT [ProgName], [Description], [Version], [Critical], "),
                QStringLiteral(" [UploadDate], [UploadTime] "),
                QStringLiteral(" FROM vcSysProgRelease "), QStringLiteral(" ORDER BY [ProgName] ")};
    }
    QString RemovalStatement(const QString& progName) const override {
        return SqlServerDialect().RemovalStatement(progName);
    }
    QStringList ReleaseStatements(const ReleaseRecord& r, const std::function<QString()>& dateText,
                                  const std::function<QString()>& timeText) const override {
        const QString update = UpdateBranch(r, dateText, timeText);
        QString insert = InsertColumns();
        insert += QStringLiteral(" ) SELECT ");
        insert += InsertValues(r, dateText, timeText);
        insert += QStringLiteral(" WHERE NOT EXISTS ( ");
        insert += QStringLiteral("SELECT [RecID] FROM [vcSysProgRelease] ");
        insert += ReleaseCondition(r);
        insert += QStringLiteral(" )");
        return {update, insert};
    }
    QString BlobStatement(const QString& progName, const QString& version) const override {
        return SqlServerDialect().BlobStatement(progName, version);
    }
    QStringList DownloadLines(const QString& progName) const override {
        return {QStringLiteral("SELECT * FROM vcSysProgRelease "),
                QStringLiteral(" WHERE [Suite] = ") + SqlLiteral(kSuite),
                QStringLiteral(" AND [ProgName] = ") + SqlLiteral(progName)};
    }
};

} // namespace

const SqlDialect& SqlServerDialect() {
    static const SqlServerSqlDialect d;
    return d;
}

const SqlDialect& EmbeddedDialect() {
    static const EmbeddedSqlDialect d;
    return d;
}

const SqlDialect& DialectForConnector(const QString& connector) {
    return IsEmbeddedConnector(connector) ? EmbeddedDialect() : SqlServerDialect();
}

QStringList EmbeddedArchiveLines(const QString& progName) {
    return {QStringLiteral("SELECT [RecID], length([RARFile]) FROM vcSysProgRelease "),
            QStringLiteral(" WHERE [Suite] = ") + SqlLiteral(kSuite),
            QStringLiteral(" AND [ProgName] = ") + SqlLiteral(progName)};
}
