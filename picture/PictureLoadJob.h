#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

#include "picture/PictureDecoder.h"

namespace tovik {

class DecoderRun;
class LoadWatch;

// Loads one picture file without ever making the caller's thread wait: a
// thread of its own takes the first look at the file (a FIFO, or a dead
// network mount that keeps that thread waiting, never the caller), then the
// decoder program decodes it, driven from the event loop. Meanwhile the
// pointer shows that the program is busy and Escape abandons the load; the
// first look and the decoding each have the decoder's wall-clock limit.
//
// `done` is called once, from the event loop (never from the constructor),
// unless the job is destroyed first, which stops everything it started.
class PictureLoadJob : public QObject {
public:
    enum class Mode {
        Foreground,  // the user waits for it (see DecoderClaim)
        Background,  // nobody waits: gives the decoder up to a foreground load
    };
    enum class Status {
        Loaded,
        NotOrdinaryFile,  // missing, hidden, a folder or a device: error is set too
        Failed,           // error says why (Escape included)
        Superseded,       // a foreground load took the decoder (Background only)
    };
    struct Outcome {
        Status status = Status::Failed;
        QImage picture;
        QString error;  // for the user, naming the file
        DecodeResult reason = DecodeResult::Decoded;  // of a failure past the first look
    };
    using Done = std::function<void(const Outcome&)>;

    PictureLoadJob(const QString& path, Mode mode, Done done, QObject* parent = nullptr);
    ~PictureLoadJob() override;

    // Whether `done` has been called or is on its way.
    bool Finished() const { return !done_; }

private:
    struct Channel;
    void Probed(bool ordinaryFile, PictureKind kind, const QString& error);
    void Decoded(DecodeResult result, const QImage& picture);
    void Finish(Outcome outcome);
    void Fail(DecodeResult result);

    QString path_;
    PictureKind kind_ = PictureKind::Other;
    Done done_;
    std::unique_ptr<DecoderClaim> claim_;
    std::unique_ptr<LoadWatch> watch_;
    std::unique_ptr<DecoderRun> run_;
    std::shared_ptr<Channel> channel_;
    QTimer deadline_;
};

}  // namespace tovik
