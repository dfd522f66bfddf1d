#include "testserver.h"

#include <QCoreApplication>

#include "engine.h"
#include "errors.h"
#include "schema.h"

namespace testserver {

QString address() {
    return qEnvironmentVariable("QB_TEST_SERVER");
}

QString absence() {
    if (!address().isEmpty()) return {};
    return QStringLiteral(
        "no test server: QB_TEST_SERVER is not set. `make test` starts one; to run tests alone "
        "beside one: tools/pg_test_cluster.sh ctest -R NAME");
}

Database::Database() {
    static int count = 0;
    name_ = QStringLiteral("qbtest_%1_%2").arg(QCoreApplication::applicationPid()).arg(++count);
    // Sorting in Chinese by default (pinyin, letters without regard to case), so that whatever
    // leans on the database's own order shows up.
    qb::engine::openPostgres(address())->execute(
        QStringLiteral("create database %1 template template0 locale 'C' locale_provider icu "
                       "icu_locale 'zh'")
            .arg(name_));
    connection_ = address() + QStringLiteral(" dbname=") + name_;
}

Database::~Database() {
    try {
        qb::engine::openPostgres(address())->execute(
            QStringLiteral("drop database if exists %1 with (force)").arg(name_));
    } catch (const qb::DbError&) {
        // The cluster goes away with its folder at the end of the run anyway.
    }
}

}  // namespace testserver

EngineLedger::EngineLedger(Engine engine) {
    if (engine == Engine::File) {
        qb::createDatabase(Tdat::pathIn(tmp.path()), QStringLiteral("admin"),
                           QStringLiteral("admin"));
        dat.openIn(tmp.path());
        return;
    }
    database = std::make_unique<testserver::Database>();
    qb::createServerLedger(database->connection(), QStringLiteral("admin"),
                           QStringLiteral("admin"));
    dat.openServer(database->connection());
}
