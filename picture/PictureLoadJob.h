#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

#include "picture/PictureLoader.h"

namespace tovik {

class DecoderRun;
class LoadWatch;

// Loads one picture file without ever making the caller's thread wait: a
// thread of its own takes the first look at the file (a FIFO, or a dead
// network mount that keeps that thread waiting, never the caller) and hands
// the open file on; the decoder program then decodes it, driven from the
// event loop. Meanwhile the pointer shows, after a moment, that the program
// is busy, and Escape (with no modal window open) abandons the load. The
// first look and the decoding each have the decoder's wall-clock limit.
//
// `done` is called once, from the event loop (never from the constructor),
// with None and the picture or with the problem, unless the job is destroyed
// first, which kills the decoder and calls nothing. A background job that a
// foreground one takes the decoder from (see DecoderClaim) ends with Busy.
class PictureLoadJob : public QObject {
public:
    enum class Mode { Foreground, Background };
    using Done = std::function<void(PictureProblem, const QImage&)>;

    PictureLoadJob(const QString& path, Mode mode, Done done);
    ~PictureLoadJob() override;

private:
    struct Channel;
    void Looked();
    void Decoded(DecodeResult result, const QImage& picture);
    void Finish(PictureProblem problem, const QImage& picture = QImage());

    Done done_;
    PictureKind kind_ = PictureKind::Other;
    std::unique_ptr<DecoderClaim> claim_;
    std::unique_ptr<LoadWatch> watch_;
    std::unique_ptr<DecoderRun> run_;
    std::shared_ptr<Channel> channel_;
    QTimer deadline_;
};

}  // namespace tovik
