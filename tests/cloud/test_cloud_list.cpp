// The cloud release list: the version display rule and the model behind the grid.
#include "CloudReleaseModel.h"
#include "QStringPrinter.h"
#include "VersionDisplay.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace {

TEST(VersionDisplay, ShowsTwoTwoAndTheLastTwo) {
    const struct {
        const char* stored;
        const char* shown;
    } cases[] = {
        {"100512", "10.05.12"},
        {"10512", "10.51.12"},
        {"1234567", "12.34.67"},
        {"7", "7..7"},
        {"", ".."},
        {"12", "12..12"},
        {"123", "12.3.23"},
        {"5.0.2", "5..0...2"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(VersionDisplayText(QString::fromLatin1(c.stored)), QString::fromLatin1(c.shown))
            << c.stored;
}

class CloudReleaseModelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("modeltest"));
        m_db.setDatabaseName(QStringLiteral(":memory:"));
        ASSERT_TRUE(m_db.open());
        QSqlQuery q(m_db);
        ASSERT_TRUE(q.exec(QStringLiteral(
            "CREATE TABLE vcSysProgRelease (RecID INTEGER PRIMARY KEY, Suite TEXT, ProgName TEXT,"
            " Description TEXT, Version TEXT, Critical TEXT, UploadDate TEXT, UploadTime TEXT)")));
        ASSERT_TRUE(q.exec(QStringLiteral(
            "INSERT INTO vcSysProgRelease (Suite, ProgName, Description, Version, Critical,"
            " UploadDate, UploadTime) VALUES"
            " ('CORVANE','CORPAY','Payroll','100512','Y','2024/05/01','13:45:01'),"
            " ('OTHER','CORGL','Ledger','5023','N','2024/05/02','08:00:00'),"
            " ('CORVANE','CORAR',NULL,NULL,'?',NULL,NULL)")));
    }
    void TearDown() override {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("modeltest"));
    }
    void load(CloudReleaseModel& model) {
        QSqlQuery q(m_db);
        q.setForwardOnly(true);
        ASSERT_TRUE(q.exec(QStringLiteral(
            "SELECT [ProgName], [Description], [Version], [Critical], [UploadDate], [UploadTime]"
            " FROM vcSysProgRelease ORDER BY [ProgName]")))
            << q.lastError().text().toStdString();
        model.Load(q);
        EXPECT_FALSE(q.isActive()) << "the query must let the connection go";
    }
    QSqlDatabase m_db;
};

TEST_F(CloudReleaseModelTest, ShowsEveryRowAsTheGridShowsIt) {
    CloudReleaseModel model;
    load(model);
    ASSERT_EQ(model.rowCount(), 3);
    ASSERT_EQ(model.columnCount(), 6);
    auto at = [&](int row, CloudReleaseModel::Column c, int role = Qt::DisplayRole) {
        return model.data(model.index(row, c), role);
    };
    // Rows as the statement orders them: CORAR, CORGL, CORPAY.
    EXPECT_EQ(at(2, CloudReleaseModel::ProgName).toString(), QStringLiteral("CORPAY"));
    EXPECT_EQ(at(2, CloudReleaseModel::Description).toString(), QStringLiteral("Payroll"));
    EXPECT_EQ(at(2, CloudReleaseModel::Version).toString(), QStringLiteral("10.05.12"));
    EXPECT_EQ(at(2, CloudReleaseModel::Version, Qt::EditRole).toString(), QStringLiteral("100512"));
    EXPECT_EQ(at(2, CloudReleaseModel::Version, Qt::UserRole).toString(), QStringLiteral("100512"));
    EXPECT_EQ(at(2, CloudReleaseModel::UploadDate).toString(), QStringLiteral("2024/05/01"));
    EXPECT_EQ(at(2, CloudReleaseModel::UploadTime).toString(), QStringLiteral("13:45:01"));
    EXPECT_EQ(at(1, CloudReleaseModel::Version).toString(), QStringLiteral("50.23.23"));

    // Critical is a box: ticked for "Y" only, and it has no text of its own.
    EXPECT_EQ(at(2, CloudReleaseModel::Critical, Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_EQ(at(1, CloudReleaseModel::Critical, Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_EQ(at(0, CloudReleaseModel::Critical, Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_FALSE(at(2, CloudReleaseModel::Critical).isValid());
    EXPECT_EQ(at(2, CloudReleaseModel::Critical, Qt::EditRole).toString(), QStringLiteral("Y"));

    // Nulls show as empty text; the stored value keeps saying null.
    EXPECT_EQ(at(0, CloudReleaseModel::Description).toString(), QString());
    EXPECT_EQ(at(0, CloudReleaseModel::Version).toString(), QStringLiteral(".."));
    EXPECT_TRUE(model.Value(0, CloudReleaseModel::Description).isNull());
    EXPECT_FALSE(model.Value(0, CloudReleaseModel::ProgName).isNull());

    // Nothing can be edited or ticked inside the grid.
    for (int c = 0; c < model.columnCount(); ++c) {
        const Qt::ItemFlags f = model.flags(model.index(0, c));
        EXPECT_FALSE(f & Qt::ItemIsEditable) << c;
        EXPECT_FALSE(f & Qt::ItemIsUserCheckable) << c;
        EXPECT_TRUE(f & Qt::ItemIsSelectable) << c;
    }
}

TEST_F(CloudReleaseModelTest, HeadersWidthsAlignment) {
    CloudReleaseModel model;
    const struct {
        CloudReleaseModel::Column column;
        const char* header;
        int width;
        bool centred;
    } columns[] = {
        {CloudReleaseModel::ProgName, "ProgName", 120, false},
        {CloudReleaseModel::Description, "Description", 350, false},
        {CloudReleaseModel::Version, "Version", 120, true},
        {CloudReleaseModel::Critical, "Critical", 50, true},
        {CloudReleaseModel::UploadDate, "Upload Date", 100, true},
        {CloudReleaseModel::UploadTime, "Upload Time", 100, true},
    };
    for (const auto& c : columns) {
        EXPECT_EQ(model.headerData(c.column, Qt::Horizontal, Qt::DisplayRole).toString(),
                  QString::fromLatin1(c.header));
        EXPECT_EQ(CloudReleaseModel::ColumnWidth(c.column), c.width) << c.header;
        const int headerAlign =
            model.headerData(c.column, Qt::Horizontal, Qt::TextAlignmentRole).toInt();
        EXPECT_EQ((headerAlign & Qt::AlignHCenter) != 0, c.centred) << c.header;
    }
    load(model);
    EXPECT_EQ(
        model.data(model.index(0, CloudReleaseModel::Version), Qt::TextAlignmentRole).toInt() &
            Qt::AlignHCenter,
        Qt::AlignHCenter);
    EXPECT_EQ(
        model.data(model.index(0, CloudReleaseModel::ProgName), Qt::TextAlignmentRole).toInt() &
            Qt::AlignHCenter,
        0);
}

TEST_F(CloudReleaseModelTest, ClearAndAFailedQueryLeaveNoRows) {
    CloudReleaseModel model;
    load(model);
    ASSERT_EQ(model.rowCount(), 3);
    model.Clear();
    EXPECT_EQ(model.rowCount(), 0);
    load(model);
    QSqlQuery bad(m_db);
    bad.setForwardOnly(true);
    EXPECT_FALSE(bad.exec(QStringLiteral("SELECT nothing FROM nowhere")));
    model.Load(bad);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_FALSE(model.Value(0, CloudReleaseModel::ProgName).isValid());
}

} // namespace
