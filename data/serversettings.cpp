#include "serversettings.h"

#include <QDir>

#include "engine.h"
#include "errors.h"
#include "places.h"
#include "zbinfo.h"

namespace qb::serversettings {

QString path() {
    return places::settingsFile();
}

QString connection(const QString& file) {
    QString found;
    for (const auto& [key, value] : zbinfo::readEntries(file, QStringLiteral("server")))
        if (found.isEmpty() && !key.compare(QLatin1String("connection"), Qt::CaseInsensitive))
            found = value;
    if (found.isEmpty()) return {};
    if (engine::carriesPassword(found))
        throw DbError(QStringLiteral("设置文件 %1 的 [server] 连接串中写有口令。口令不能明文存放："
                                     "请把它存进 PostgreSQL 的口令文件 ~/.pgpass，或从连接串中"
                                     "删去，启动时再输入。")
                          .arg(QDir::toNativeSeparators(file)));
    return found;
}

}  // namespace qb::serversettings
