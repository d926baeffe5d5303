// The SQL Server client: the ODBC keywords for each driver, values that must arrive intact
// (checked on the login a real FreeTDS sends to a stand-in server), the login time-out and
// the autocommit repair.
#include "AppError.h"
#include "DataCMN.h"
#include "DataSYS.h"
#include "OdbcConnection.h"

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#ifndef _WIN32
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>
#endif

namespace {

const OdbcDriver kFreeTds{OdbcDriverKind::FreeTds, QStringLiteral("FreeTDS"), QString()};
const OdbcDriver kMs18{OdbcDriverKind::Microsoft, QStringLiteral("ODBC Driver 18 for SQL Server"),
                       QString()};

QString Refusal(const OdbcDriver& d, const QString& user, const QString& pswd) {
    try {
        BuildOdbcConnectString(d, QStringLiteral("srv"), QStringLiteral("db"), user, pswd);
    } catch (const AppError& e) {
        return e.message();
    }
    return QString();
}

TEST(OdbcMapping, KeywordsPerDriver) {
    EXPECT_EQ(BuildOdbcConnectString(kFreeTds, QStringLiteral(" db01 "), QStringLiteral(" Common "),
                                     QStringLiteral(" sa "), QStringLiteral(" p;w=x{y}z "), false),
              QStringLiteral("DRIVER={FreeTDS};SERVER={db01};PORT=1433;DATABASE={Common};UID={sa};"
                             "PWD={p;w=x{y}z};TDS_Version=7.4;ClientCharset=UTF-8;APP=corUPD;"
                             "Encryption=off;"));
    EXPECT_EQ(BuildOdbcConnectString(kFreeTds, QStringLiteral("db01, 14330"), QStringLiteral("c"),
                                     QString(), QStringLiteral("ignored"), true),
              QStringLiteral("DRIVER={FreeTDS};SERVER={db01};PORT=14330;DATABASE={c};"
                             "Trusted_Connection=Yes;TDS_Version=7.4;ClientCharset=UTF-8;"
                             "APP=corUPD;Encryption=off;"));
    EXPECT_EQ(BuildOdbcConnectString(kMs18, QStringLiteral("db01"), QStringLiteral("c"),
                                     QStringLiteral("u}v"), QStringLiteral("a};b")),
              QStringLiteral("DRIVER={ODBC Driver 18 for SQL Server};Server={tcp:db01,1433};"
                             "Database={c};UID={u}}v};PWD={a}};b};Encrypt=no;"
                             "TrustServerCertificate=yes;APP=corUPD;"));
    EXPECT_TRUE(BuildOdbcConnectString(kMs18, QStringLiteral("db01"), QStringLiteral("c"),
                                       QString(), QString())
                    .contains(QLatin1String(";Trusted_Connection=yes;")));
    // A named instance finds its port through the browser service, which a fixed port
    // would bypass; a port given with it still wins.
    EXPECT_EQ(BuildOdbcConnectString(kFreeTds, QStringLiteral("db01\\SQLEXPRESS"),
                                     QStringLiteral("c"), QStringLiteral("u"), QStringLiteral("p")),
              QStringLiteral("DRIVER={FreeTDS};SERVER={db01\\SQLEXPRESS};DATABASE={c};UID={u};"
                             "PWD={p};TDS_Version=7.4;ClientCharset=UTF-8;APP=corUPD;"
                             "Encryption=off;"));
    EXPECT_TRUE(BuildOdbcConnectString(kFreeTds, QStringLiteral("db01\\SQLEXPRESS,1500"),
                                       QStringLiteral("c"), QStringLiteral("u"),
                                       QStringLiteral("p"))
                    .startsWith(QLatin1String("DRIVER={FreeTDS};SERVER={db01\\SQLEXPRESS};"
                                              "PORT=1500;DATABASE={c};")));
    EXPECT_TRUE(BuildOdbcConnectString(kMs18, QStringLiteral("db01\\SQLEXPRESS"),
                                       QStringLiteral("c"), QStringLiteral("u"),
                                       QStringLiteral("p"))
                    .contains(QLatin1String(";Server={tcp:db01\\SQLEXPRESS};Database={c};")));
}

TEST(OdbcMapping, ValuesTheDriverCannotCarryAreRefused) {
    EXPECT_TRUE(Refusal(kFreeTds, QStringLiteral("sa"), QStringLiteral("ab};cd"))
                    .contains(QLatin1String("\"};\"")));
    EXPECT_TRUE(Refusal(kFreeTds, QStringLiteral("sa"), QStringLiteral("ab}cd}")).isEmpty());
    EXPECT_TRUE(Refusal(kMs18, QStringLiteral("sa"), QStringLiteral("ab};cd")).isEmpty());
    // Qt's driver would take any string mentioning ".dsn" for a file DSN.
    EXPECT_FALSE(Refusal(kMs18, QStringLiteral("sa"), QStringLiteral("x.DSN")).isEmpty());
    EXPECT_EQ(BuildOdbcConnectString(kFreeTds, QStringLiteral("s"), QStringLiteral("d"),
                                     QStringLiteral("u"), QStringLiteral("ab};cd"), true),
              QStringLiteral("DRIVER={FreeTDS};SERVER={s};PORT=1433;DATABASE={d};UID={u};"
                             "PWD={ab}};cd};TDS_Version=7.4;ClientCharset=UTF-8;APP=corUPD;"
                             "Encryption=off;"));
}

TEST(OdbcMapping, DriverChoiceAndFreeTdsVersions) {
    EXPECT_EQ(ChooseOdbcDriver({"FreeTDS", "ODBC Driver 17 for SQL Server"}).name,
              QStringLiteral("ODBC Driver 17 for SQL Server"));
    EXPECT_EQ(
        ChooseOdbcDriver({"ODBC Driver 17 for SQL Server", "ODBC Driver 18 for SQL Server"}).name,
        QStringLiteral("ODBC Driver 18 for SQL Server"));
    EXPECT_EQ(ChooseOdbcDriver({"FreeTDS"}).kind, OdbcDriverKind::FreeTds);
    const OdbcDriver unregistered = ChooseOdbcDriver({});
    EXPECT_EQ(unregistered.kind, OdbcDriverKind::FreeTds);
    if (!unregistered.library.isEmpty()) {
        EXPECT_EQ(unregistered.name, unregistered.library);
    }

    EXPECT_FALSE(FreeTdsUndoesDoubling(QStringLiteral("01.03.0017")));
    EXPECT_FALSE(FreeTdsUndoesDoubling(QStringLiteral("01.04.0000")));
    EXPECT_TRUE(FreeTdsUndoesDoubling(QStringLiteral("01.04.0001")));
    EXPECT_TRUE(FreeTdsUndoesDoubling(QStringLiteral("01.05.0002")));
    EXPECT_FALSE(FreeTdsUndoesDoubling(QString()));

    const OdbcDriver here = ChooseOdbcDriver(RegisteredOdbcDrivers());
    if (here.kind == OdbcDriverKind::FreeTds && !here.library.isEmpty()) {
        EXPECT_TRUE(FreeTdsDriverVersion(here.library).startsWith(QLatin1String("01.")))
            << FreeTdsDriverVersion(here.library).toStdString();
    }
}

#ifndef _WIN32
// A TCP listener on 127.0.0.1 that plays the first steps of a TDS server: it answers the
// pre-login without encryption and keeps the login record the client sends, then hangs up.
// With silent set it accepts and never answers.
class StandInServer {
  public:
    explicit StandInServer(bool silent) : m_silent(silent) {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(m_listener, 4);
        socklen_t len = sizeof a;
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&a), &len);
        m_port = ntohs(a.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~StandInServer() {
        stop();
        ::close(m_listener);
    }
    void stop() {
        if (m_thread.joinable()) {
            m_stop = true;
            m_thread.join();
        }
    }
    int port() const { return m_port; }

    // A string field of the login record (read after stop()): offset and character count at `at`.
    QString field(int at, bool password = false) const {
        if (m_login.size() < at + 4)
            return QStringLiteral("<no login>");
        auto u16 = [&](int i) {
            return int(quint8(m_login[i])) | int(quint8(m_login[i + 1])) << 8;
        };
        const int offset = u16(at), chars = u16(at + 2);
        QByteArray bytes = m_login.mid(offset, chars * 2);
        if (password)
            for (char& c : bytes) {
                const quint8 b = quint8(c) ^ 0xA5;
                c = char(quint8((b & 0x0F) << 4 | (b & 0xF0) >> 4));
            }
        return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), chars);
    }

  private:
    bool wait(int fd) {
        while (!m_stop) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 50) > 0)
                return true;
        }
        return false;
    }
    // One TDS message (its packets' payloads); empty when the peer went away.
    QByteArray message(int fd) {
        QByteArray payload;
        for (;;) {
            unsigned char header[8];
            if (!readAll(fd, header, 8))
                return QByteArray();
            const int length = header[2] << 8 | header[3];
            QByteArray part(length - 8, '\0');
            if (!readAll(fd, part.data(), part.size()))
                return QByteArray();
            payload += part;
            if (header[1] & 0x01)
                return payload;
        }
    }
    bool readAll(int fd, void* data, int size) {
        char* p = static_cast<char*>(data);
        while (size > 0) {
            if (!wait(fd))
                return false;
            const ssize_t n = ::recv(fd, p, size, 0);
            if (n <= 0)
                return false;
            p += n;
            size -= int(n);
        }
        return true;
    }
    void serve() {
        if (!wait(m_listener))
            return;
        const int fd = ::accept(m_listener, nullptr, nullptr);
        if (!m_silent && !message(fd).isEmpty()) {
            // Pre-login answer: version 15.0, encryption not supported.
            const unsigned char reply[] = {0x04, 0x01, 0x00, 26,   0x00, 0x00, 0x01, 0x00, 0x00,
                                           0x00, 11,   0x00, 6,    0x01, 0x00, 17,   0x00, 1,
                                           0xFF, 0x0F, 0x00, 0x07, 0xD0, 0x00, 0x00, 0x02};
            ::send(fd, reply, sizeof reply, MSG_NOSIGNAL);
            m_login = message(fd);
        } else {
            while (!m_stop) // accept and say nothing
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ::close(fd);
    }

    bool m_silent;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    QByteArray m_login;
    std::thread m_thread;
};

class OdbcLogin : public ::testing::Test {
  protected:
    void SetUp() override {
        m_driver = ChooseOdbcDriver(RegisteredOdbcDrivers());
        if (m_driver.kind != OdbcDriverKind::FreeTds || m_driver.library.isEmpty())
            GTEST_SKIP() << "these tests drive the FreeTDS ODBC driver, which is not installed";
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), QStringLiteral("odbc-login"));
    }
    void TearDown() override {
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("odbc-login"));
        SetOdbcLoginTimeoutForTests(60);
    }
    OdbcDriver m_driver;
    QSqlDatabase m_db;
};

TEST_F(OdbcLogin, SettingsWithSeparatorsAndBracesReachTheServerIntact) {
    StandInServer server(false);
    const QString user = QStringLiteral("o'b;r=n{x}");
    const QString pswd = QStringLiteral("p;w=d}{;x}");
    QString reason;
    EXPECT_FALSE(OpenSqlServerDatabase(m_db, QStringLiteral(" 127.0.0.1,%1 ").arg(server.port()),
                                       QStringLiteral(" Corvane;Common=1"), user, pswd, &reason));
    EXPECT_FALSE(reason.isEmpty());
    server.stop();
    // The login record: user name at 40, password at 44, application at 48, database at 68.
    EXPECT_EQ(server.field(40), user);
    EXPECT_EQ(server.field(44, true), pswd);
    EXPECT_EQ(server.field(48), QStringLiteral("corUPD"));
    EXPECT_EQ(server.field(68), QStringLiteral("Corvane;Common=1"));
}

TEST_F(OdbcLogin, ServerThatNeverAnswersFailsAtTheLoginTimeOut) {
    EXPECT_EQ(OdbcLoginTimeoutSeconds(), 60);
    SetOdbcLoginTimeoutForTests(2);
    StandInServer server(true);
    QElapsedTimer t;
    t.start();
    QString reason;
    EXPECT_FALSE(OpenSqlServerDatabase(m_db, QStringLiteral("127.0.0.1,%1").arg(server.port()),
                                       QStringLiteral("db"), QStringLiteral("sa"),
                                       QStringLiteral("x"), &reason));
    EXPECT_GE(t.elapsed(), 1500);
    EXPECT_LT(t.elapsed(), 20000);
    EXPECT_FALSE(reason.isEmpty());
}

TEST_F(OdbcLogin, IntegratedLoginFailureExplainsKerberos) {
    StandInServer server(false);
    QString reason;
    EXPECT_FALSE(OpenSqlServerDatabase(m_db, QStringLiteral("127.0.0.1,%1").arg(server.port()),
                                       QStringLiteral("db"), QStringLiteral("  "),
                                       QStringLiteral("x"), &reason));
    EXPECT_TRUE(reason.contains(QLatin1String("Kerberos"))) << reason.toStdString();
}

#endif // _WIN32

// The repair of the connection mode, on an ODBC driver that needs no server.
TEST(OdbcAutocommit, RestoredThroughTheNativeHandle) {
    if (!RegisteredOdbcDrivers().contains(QStringLiteral("SQLite3")))
        GTEST_SKIP() << "the SQLite3 ODBC driver (libsqliteodbc) is not installed";
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("t.db"));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), QStringLiteral("ac"));
        db.setDatabaseName(QStringLiteral("DRIVER={SQLite3};Database=%1;").arg(file));
        ASSERT_TRUE(db.open()) << db.lastError().text().toStdString();
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE t (x INTEGER)")));
        EXPECT_TRUE(OdbcAutocommitOn(db));
        ASSERT_TRUE(db.transaction());
        EXPECT_FALSE(OdbcAutocommitOn(db));
        ASSERT_TRUE(db.rollback());
        // What a failed commit or rollback leaves behind: manual-commit mode.
        ASSERT_TRUE(db.transaction());
        EXPECT_TRUE(RestoreOdbcAutocommit(db));
        EXPECT_TRUE(OdbcAutocommitOn(db));
        ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO t VALUES (1)")));
        db.close();
        ASSERT_TRUE(db.open());
        QSqlQuery check(db);
        ASSERT_TRUE(check.exec(QStringLiteral("SELECT count(*) FROM t")) && check.next());
        EXPECT_EQ(check.value(0).toInt(), 1);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("ac"));
    EXPECT_FALSE(RestoreOdbcAutocommit(QSqlDatabase()));
}

} // namespace
