#pragma once
// Writing a file whole or not at all. The bytes go to a file without a name in the target's folder
// (or, where the file system has no such files, to a fresh temporary created for this write); only
// once everything is written does it take the target's name, by a rename over it. So no reader ever
// sees a half-written file, a crash leaves either the old file or the new one, an existing symbolic
// link at the name is replaced rather than written through, and a file the name shares with another
// (a hard link) is left as it was. Only this file knows what the temporaries are called.

#include <QByteArray>
#include <QString>

#include <memory>

// Synced also flushes the file and its folder to the disk, so it survives a power cut; files the
// program can fetch again (the photo cache, deleted at exit) skip that, as it costs a disk round trip
// per file.
enum class WholeFileSync { Synced, Unsynced };

// Every function and member below throws std::runtime_error naming the file and the system's reason
// when the file cannot be written; the file under the name is then as it was.
void WriteWholeFile(const QString &path, const QByteArray &bytes, WholeFileSync sync = WholeFileSync::Synced);

// A file being written in a folder before it has a name (for writes that learn the name only after
// the bytes are on the disk). A draft dropped without Commit leaves nothing behind.
class WholeFileDraft {
public:
    // How the draft is kept until it is named. Automatic takes an unnamed file where the file system
    // has them; Temporary always uses a fresh temporary file (tests use it to cover such systems).
    enum class Staging { Automatic, Temporary };

    explicit WholeFileDraft(const QString &folder, Staging staging = Staging::Automatic);
    ~WholeFileDraft();
    WholeFileDraft(const WholeFileDraft &) = delete;
    WholeFileDraft &operator=(const WholeFileDraft &) = delete;

    void Write(const QByteArray &bytes);
    // Gives the draft the name path (in the draft's folder), replacing whatever had that name. The
    // draft is spent afterwards, whether or not it succeeded.
    void Commit(const QString &path, WholeFileSync sync);

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

// Removes from folder the temporaries that writers killed before they finished left behind; those of
// writers still running (this process's or another's) stay.
void SweepWholeFileLeftovers(const QString &folder);
