#pragma once

#include <QString>

// Files that hold ledger data: created for the owner alone, written whole before they take their
// final name, and never put over a file that is already there unless the caller means to.
namespace qb::files {

// A new file that only its owner may read (0600): with exactly the name given (refused when it
// is taken), or with a unique hidden name beside it, for building a file that takes the name
// once it is complete. Unless released, it is removed again when the object goes.
class PrivateFile {
public:
    enum class Name { Exactly, UniqueBeside };
    explicit PrivateFile(const QString& path, Name name = Name::Exactly);
    ~PrivateFile();
    PrivateFile(const PrivateFile&) = delete;
    PrivateFile& operator=(const PrivateFile&) = delete;

    void write(const char* data, qint64 size);
    // Makes the content durable and closes the file.
    void finish();
    // The file has been put in its place (or is wanted as it is) and stays.
    void release() { released_ = true; }
    const QString& path() const { return path_; }

private:
    QString path_;
    int fd_ = -1;
    bool released_ = false;
};
// The one way a finished file is written: whole, under a unique hidden name beside the target,
// made durable, then given the target's name in one step. A link or a folder at the target is
// refused, never followed; the file is for its owner alone (0600) whatever was there before.
// With Existing::Keep a file already at the target is refused too.
enum class Existing { Replace, Keep };
void writeWhole(const QString& target, const QByteArray& bytes,
                Existing existing = Existing::Replace);
// The reason a file cannot be written at path (a link, a folder), or empty when it can.
QString whyNotWritable(const QString& path);
// Whether two names lead to the same file (a link, a second hard link, another spelling).
bool sameFile(const QString& a, const QString& b);
// Removes hidden unfinished copies beside path (".NAME.new-XXXXXX") that nobody has written to
// for an hour: what a writer killed midway left behind.
void removeStaleCopies(const QString& path);

// Gives the file at from the name to, refusing when to exists in any form (a file, a folder,
// a link, even one that leads nowhere); from is gone afterwards. The folder is made durable.
void placeWithoutReplacing(const QString& from, const QString& to);
// Gives the file at from the name to, replacing a file of that name (but never a link or a
// folder); the folder is made durable.
void placeReplacing(const QString& from, const QString& to);
// Trades the names of two files in one step, so neither name is ever missing; the folder is made
// durable. False, with nothing changed, where the file system cannot do it in one step.
bool exchange(const QString& a, const QString& b);
// Copies a file that no one is writing into a new private file.
void copyToPrivate(const QString& source, const QString& target);
// The reason a name cannot be used for a new ledger file, or empty when it is free. A link that
// leads nowhere is named as such, so that nothing is created where it points.
QString whyTaken(const QString& path);

}  // namespace qb::files
