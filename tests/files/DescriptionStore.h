#pragma once
// An embedded common database holding a program catalogue, opened as the process's database
// module for as long as the object lives.
#include "DataCMN.h"
#include "DataSYS.h"
#include "SqlDialect.h"
#include "StoreBuilder.h"

#include <QDir>
#include <QList>
#include <QPair>
#include <QString>

#include <gtest/gtest.h>
#include <memory>

class DescriptionStore {
  public:
    using Descriptions = QList<QPair<QString, QString>>; // program name, description

    DescriptionStore(const QString& folder, const Descriptions& descriptions) {
        QDir().mkpath(folder);
        QString sql = EmbeddedCommonDdl();
        for (const auto& [program, description] : descriptions)
            sql += QStringLiteral("\nINSERT INTO vcVersions (PgmName, Description, Version) "
                                  "VALUES (%1, %2, '1');")
                       .arg(SqlLiteral(program), SqlLiteral(description));
        RunOnEmbeddedFile(folder + QStringLiteral("/CorvaneCommon.db"), sql);

        sCommonConnector = QStringLiteral("SQLite");
        sCommonHost = folder;
        sCommonDBName = QStringLiteral("CorvaneCommon");
        m_data = std::make_unique<TcData>();
        m_previous = cData;
        cData = m_data.get();
        EXPECT_TRUE(m_data->ConnectDB_Common());
    }
    ~DescriptionStore() {
        m_data->CloseDB_Common();
        cData = m_previous;
    }
    DescriptionStore(const DescriptionStore&) = delete;
    DescriptionStore& operator=(const DescriptionStore&) = delete;

  private:
    std::unique_ptr<TcData> m_data;
    TcData* m_previous = nullptr;
};
