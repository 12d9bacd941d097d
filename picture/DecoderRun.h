#pragma once

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QTimer>
#include <functional>
#include <optional>

#include "picture/PictureDecoder.h"

namespace tovik {

// One run of the decoder program over one open file, driven from the event
// loop: the constructor starts it and returns at once; `done` is called
// once, later, from the event loop, with the result and (when Decoded) the
// picture. The decoder gets the file as its standard input, runs in a
// process group of its own under the limits of PictureDecoder.h, its
// wall-clock limit included, and is killed as a group when it is given up
// on. Destroying the run first kills the decoder and calls nothing.
class DecoderRun : public QObject {
public:
    using Done = std::function<void(DecodeResult, const QImage&)>;

    // `fd` is needed only while the constructor runs: the decoder has its
    // own copy by then.
    DecoderRun(const QString& program, int fd, PictureKind kind, Done done);
    ~DecoderRun() override;

    // Stops the decoder; `done` gets `result` unless the decoder has already
    // finished.
    void Stop(DecodeResult result);

private:
    void Read();
    void Finished();
    void Kill();
    void Report(DecodeResult result, const QImage& picture = QImage());

    QProcess helper_;
    QTimer deadline_;
    QByteArray answer_;
    std::optional<DecodeResult> stopped_;
    Done done_;
};

}  // namespace tovik
