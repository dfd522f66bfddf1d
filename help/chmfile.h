#pragma once

#include <QByteArray>
#include <QString>

struct chmFile;
struct chmUnitInfo;

// The entry points of the chm reading library that the help window uses.
struct ChmApi {
    chmFile* (*open)(const char* path) = nullptr;
    void (*close)(chmFile* file) = nullptr;
    int (*resolve)(chmFile* file, const char* path, chmUnitInfo* unit) = nullptr;
    long long (*retrieve)(chmFile* file, chmUnitInfo* unit, unsigned char* buffer,
                          unsigned long long start, long long length) = nullptr;
};

// An opened compiled help file: its pages by path ("/name.htm") and what its system header
// says about it (default topic, contents file, title).
class ChmFile {
public:
    ChmFile(const ChmApi& api, const QString& path);
    ~ChmFile();
    ChmFile(const ChmFile&) = delete;
    ChmFile& operator=(const ChmFile&) = delete;

    bool isOpen() const { return file_ != nullptr; }
    const QString& path() const { return path_; }
    bool contains(const QString& page) const;
    // The bytes of a page; empty when the file does not hold it.
    QByteArray read(const QString& page) const;

    const QString& defaultTopic() const { return defaultTopic_; }
    const QString& contentsFile() const { return contents_; }
    const QString& title() const { return title_; }

private:
    void readSystemHeader();

    ChmApi api_;
    QString path_;
    chmFile* file_ = nullptr;
    QString defaultTopic_;
    QString contents_;
    QString title_;
};
