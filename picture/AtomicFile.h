#pragma once

#include <QByteArray>
#include <QIODevice>

namespace tovik {

// A regular file written in full or not at all. What is written goes into a
// temporary file beside the target, which Commit() flushes to the disk and
// only then puts in the target's place: a write that fails at any step (a
// full disk, a file-size limit) leaves an existing file as it was, and no
// temporary file is left behind, also when the file is abandoned (destroyed
// without Commit()).
//
// Only regular files are written. A target that exists and is anything else
// (a FIFO, a device, a socket, a folder, or a symbolic link whose final
// target is one of those) is refused, and nothing is created or replaced;
// this is checked on what is actually replaced, so a file swapped in at the
// last moment is refused too. A symbolic link to a regular file is written
// through: the file it names is replaced and the link stays.
class AtomicFile {
public:
    enum class Outcome { Written, NotRegular, Failed };

    // The name as the file system has it, byte for byte.
    explicit AtomicFile(QByteArray nativePath);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file; Written when it is ready for writing.
    Outcome Open();
    // Where to write, once open. Writes are buffered; once one has failed
    // the device takes no more, and Commit() reports it.
    QIODevice& Device() { return device_; }
    // Puts what was written in the target's place.
    Outcome Commit();

private:
    // Writes to the temporary file through a buffer of its own, every byte
    // or a failure that sticks.
    class FdDevice : public QIODevice {
    public:
        void Attach(int fd);
        // Writes out what is buffered; false when any write has failed.
        bool Drain();
        bool isSequential() const override { return true; }

    protected:
        qint64 readData(char*, qint64) override { return -1; }
        qint64 writeData(const char* data, qint64 size) override;

    private:
        int fd_ = -1;
        bool failed_ = false;
        QByteArray buffer_;
    };

    void Abandon();

    QByteArray path_;
    QByteArray base_;
    QByteArray temp_;
    int dirFd_ = -1;
    int fd_ = -1;
    bool exists_ = false;
    FdDevice device_;
};

}  // namespace tovik
