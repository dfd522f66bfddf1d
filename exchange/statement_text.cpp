// The statement file: only a regular file of bounded size, its text decoded strictly, CSV
// records through libcsv.
#include <csv.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QStringDecoder>
#include <cerrno>
#include <cstring>

#include "errors.h"
#include "statement_detail.h"

namespace qb::statement::detail {
namespace {

// ---- The file ----

struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

QString bytesText(qint64 bytes) {
    return QLocale(QLocale::English).toString(bytes);
}

// ---- Decoding ----

// The length of the well-formed UTF-8 sequence at p (no overlong forms, surrogates or code
// points beyond U+10FFFF), or 0.
int utf8Sequence(const uchar* p, qsizetype left) {
    const uchar c = p[0];
    if (c < 0x80) return 1;
    int n = 0;
    uchar lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        if (c == 0xE0) lo = 0xA0;
        if (c == 0xED) hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        if (c == 0xF0) lo = 0x90;
        if (c == 0xF4) hi = 0x8F;
    } else {
        return 0;
    }
    if (left < n || p[1] < lo || p[1] > hi) return 0;
    for (int k = 2; k < n; ++k)
        if (p[k] < 0x80 || p[k] > 0xBF) return 0;
    return n;
}

// The text read as UTF-8: its whole multi-byte characters, the bytes that belong to none, and
// where the first of those is.
struct Utf8Census {
    qsizetype characters = 0;
    qsizetype badBytes = 0;
    qsizetype firstBad = -1;
};

Utf8Census utf8Census(const QByteArray& bytes) {
    Utf8Census census;
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
    for (qsizetype at = 0; at < bytes.size();) {
        const int n = utf8Sequence(p + at, bytes.size() - at);
        if (n == 0) {
            if (census.firstBad < 0) census.firstBad = at;
            ++census.badBytes;
            ++at;
            continue;
        }
        if (n > 1) ++census.characters;
        at += n;
    }
    return census;
}

[[noreturn]] void refuseUtf8(const QString& path, const QByteArray& bytes, qsizetype at) {
    const qsizetype lineStart = bytes.lastIndexOf('\n', at - 1) + 1;
    refuseLine(path, int(bytes.left(at).count('\n')) + 1,
               QStringLiteral("：第 %1 个字节 0x%2 不是有效的 UTF-8 编码，文件可能已损坏；"
                              "请从银行重新导出")
                   .arg(at - lineStart + 1)
                   .arg(uchar(bytes[at]), 2, 16, QLatin1Char('0')));
}

// Decoded strictly: a UTF-16 or UTF-32 byte-order mark, else UTF-8 (also with its mark), else
// GB18030, the code page of Chinese Windows. Text that is UTF-8 but for a few bytes is a damaged
// UTF-8 file, not GB18030: Chinese in GB18030 reads as UTF-8 only by chance, a few characters
// among many bad bytes.
QString decoded(const QString& path, QByteArray bytes, QString* encoding) {
    // A sequence cut off at the very end shows as an error only with something after it.
    if (!bytes.endsWith('\n')) bytes.append('\n');
    const auto bom = QStringConverter::encodingForData(bytes);
    if (bom && *bom != QStringConverter::Utf8) {
        QStringDecoder decoder(*bom);
        *encoding = QString::fromLatin1(QStringConverter::nameForEncoding(*bom));
        QString text = decoder(bytes);
        if (decoder.hasError())
            refuse(path, QStringLiteral("不是有效的 %1 编码，文件可能已损坏").arg(*encoding));
        return text;
    }
    const Utf8Census census = utf8Census(bytes);
    if (census.badBytes == 0 || bom || census.characters > 2 * census.badBytes) {
        if (census.badBytes > 0) refuseUtf8(path, bytes, census.firstBad);
        *encoding = QStringLiteral("UTF-8");
        return QString::fromUtf8(bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes);
    }
    *encoding = QStringLiteral("GB18030");
    QStringDecoder gb18030("GB18030");
    QString text = gb18030(bytes);
    if (!gb18030.hasError()) return text;
    // The line of the first sequence that is not GB18030 (a line feed is never part of one).
    int line = 1;
    for (qsizetype from = 0; from < bytes.size(); ++line) {
        const qsizetype to = bytes.indexOf('\n', from) + 1;
        QStringDecoder one("GB18030");
        const QString decodedLine = one(QByteArrayView(bytes).sliced(from, to - from));
        if (one.hasError()) break;
        from = to;
    }
    refuseLine(path, line,
               QStringLiteral("：既不是有效的 UTF-8 编码也不是有效的 GB18030 编码，文件可能已损坏；"
                              "请从银行重新导出"));
}

// ---- CSV records ----

struct Records {
    std::vector<Row> rows;
    Row current;
    int line = 0;  // the line being fed
};

void endField(void* data, size_t size, void* sink) {
    auto* records = static_cast<Records*>(sink);
    records->current.cells << padless(
        QString::fromUtf8(static_cast<const char*>(data), qsizetype(size)));
}

void endRecord(int, void* sink) {
    auto* records = static_cast<Records*>(sink);
    // A quoted field may span lines: the record begins as many lines up as it holds breaks.
    int breaks = 0;
    for (const QString& cell : records->current.cells)
        breaks += int(cell.count(QLatin1Char('\n')));
    records->current.line = records->line - breaks;
    records->rows.push_back(std::move(records->current));
    records->current = Row();
}

// Tab-separated when the first lines hold more tabs between cells than commas; a tab before a
// comma or at a line's end is padding.
unsigned char delimiterOf(const QString& text) {
    static const QRegularExpression separating(QStringLiteral("\t(?![ \t]*(,|\r?\n|$))"));
    const QString first = text.section(QLatin1Char('\n'), 0, 19);
    return first.count(separating) > first.count(QLatin1Char(',')) ? CSV_TAB : CSV_COMMA;
}

int paddingOfCommaFile(unsigned char c) {
    return c == CSV_SPACE || c == CSV_TAB ? 1 : 0;
}
int paddingOfTabFile(unsigned char c) {
    return c == CSV_SPACE ? 1 : 0;
}

}  // namespace

void refuse(const QString& path, const QString& why) {
    throw DbError(QStringLiteral("对账单 %1：%2").arg(QFileInfo(path).fileName(), why));
}

void refuseLine(const QString& path, int line, const QString& why) {
    refuse(path, QStringLiteral("第 %1 行%2").arg(line).arg(why));
}

QString padless(QString text) {
    return text.trimmed().remove(QLatin1Char('\t'));
}

QByteArray file_bytes(const QString& path) {
    // Opened without waiting, so that a pipe with no writer does not hold the reader.
    const Descriptor file{
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)};
    if (file.fd < 0)
        refuse(
            path,
            errno == ENOENT
                ? QStringLiteral("找不到文件 %1").arg(path)
                : QStringLiteral("无法读取：%1").arg(QString::fromLocal8Bit(std::strerror(errno))));
    struct stat st {};
    if (::fstat(file.fd, &st) != 0)
        refuse(path,
               QStringLiteral("无法读取：%1").arg(QString::fromLocal8Bit(std::strerror(errno))));
    if (S_ISDIR(st.st_mode)) refuse(path, QStringLiteral("这是一个文件夹，不是对账单文件"));
    if (!S_ISREG(st.st_mode))
        refuse(path, QStringLiteral("不是普通文件（设备、管道或套接字），不能作为对账单读取"));
    if (st.st_size > kMaxFileBytes)
        refuse(path, QStringLiteral("文件有 %1 字节，超过对账单的上限 %2 字节（%3 MB）")
                         .arg(bytesText(st.st_size), bytesText(kMaxFileBytes))
                         .arg(kMaxFileBytes / (1024 * 1024)));
    QByteArray bytes(qsizetype(st.st_size), Qt::Uninitialized);
    qsizetype got = 0;
    // A file that grows while it is read is read only to the size it had.
    while (got < bytes.size()) {
        const ssize_t n = ::read(file.fd, bytes.data() + got, size_t(bytes.size() - got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0)
            refuse(
                path,
                QStringLiteral("无法读取：%1").arg(QString::fromLocal8Bit(std::strerror(errno))));
        if (n == 0) break;
        got += n;
    }
    bytes.truncate(got);
    return bytes;
}

Rows text_rows(const QString& path, const QByteArray& bytes) {
    Rows result;
    const QString text = decoded(path, bytes, &result.encoding);
    csv_parser parser;
    if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI) != 0)
        refuse(path, QStringLiteral("无法读取（内存不足）"));
    const unsigned char delimiter = delimiterOf(text);
    csv_set_delim(&parser, delimiter);
    // Padding around fields goes, quoted or not; a tab-separated file keeps its tabs apart.
    csv_set_space_func(&parser, delimiter == CSV_TAB ? paddingOfTabFile : paddingOfCommaFile);
    Records sink;
    const QByteArray utf8 = text.toUtf8();
    // Fed line by line, so that each record knows the line it ends on.
    qsizetype from = 0;
    while (from < utf8.size()) {
        qsizetype to = utf8.indexOf('\n', from);
        to = to < 0 ? utf8.size() : to + 1;
        ++sink.line;
        const size_t fed = size_t(to - from);
        if (csv_parse(&parser, utf8.constData() + from, fed, endField, endRecord, &sink) != fed) {
            csv_free(&parser);
            refuseLine(path, sink.line, QStringLiteral("：引号不成对，不是规范的 CSV 文件"));
        }
        from = to;
    }
    const int finished = csv_fini(&parser, endField, endRecord, &sink);
    csv_free(&parser);
    if (finished != 0)
        refuseLine(path, sink.line, QStringLiteral("：引号没有结束，不是规范的 CSV 文件"));
    result.rows = std::move(sink.rows);
    return result;
}

}  // namespace qb::statement::detail
