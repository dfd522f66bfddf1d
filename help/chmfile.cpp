#include "chmfile.h"

#include <chm_lib.h>
#include <QFile>
#include <QtEndian>

namespace {

QByteArray chmPath(const QString& page) {
    const QString p = page.startsWith(QLatin1Char('/')) ? page : QLatin1Char('/') + page;
    return p.toUtf8();
}

}  // namespace

ChmFile::ChmFile(const ChmApi& api, const QString& path) : api_(api), path_(path) {
    file_ = api_.open(QFile::encodeName(path).constData());
    if (file_) readSystemHeader();
}

ChmFile::~ChmFile() {
    if (file_) api_.close(file_);
}

bool ChmFile::contains(const QString& page) const {
    chmUnitInfo unit;
    return file_ && api_.resolve(file_, chmPath(page).constData(), &unit) == CHM_RESOLVE_SUCCESS;
}

QByteArray ChmFile::read(const QString& page) const {
    chmUnitInfo unit;
    if (!file_ || api_.resolve(file_, chmPath(page).constData(), &unit) != CHM_RESOLVE_SUCCESS)
        return {};
    QByteArray bytes(qsizetype(unit.length), Qt::Uninitialized);
    const long long got =
        api_.retrieve(file_, &unit, reinterpret_cast<unsigned char*>(bytes.data()), 0,
                      static_cast<long long>(unit.length));
    bytes.truncate(qsizetype(qMax(0LL, got)));
    return bytes;
}

void ChmFile::readSystemHeader() {
    // "#SYSTEM": a 4-byte version, then records of a 2-byte code, a 2-byte length and the data.
    const QByteArray system = read(QStringLiteral("/#SYSTEM"));
    qsizetype at = 4;
    while (at + 4 <= system.size()) {
        const auto* p = reinterpret_cast<const uchar*>(system.constData() + at);
        const quint16 code = qFromLittleEndian<quint16>(p);
        const quint16 length = qFromLittleEndian<quint16>(p + 2);
        if (at + 4 + length > system.size()) break;
        const QByteArray data = system.mid(at + 4, length);
        const QString text =
            QString::fromUtf8(data.left(data.indexOf('\0') < 0 ? data.size() : data.indexOf('\0')));
        if (code == 0) contents_ = text;
        if (code == 2) defaultTopic_ = text;
        if (code == 3) title_ = text;
        at += 4 + length;
    }
}
