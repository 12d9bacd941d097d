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

// One run of the decoder program over one file, driven from the event loop:
// the constructor starts it and returns at once; `done` is called once, later,
// from the event loop, with the result and (when Decoded) the picture.
// Destroying the run first stops the decoder and calls nothing. The decoder
// runs under the limits of PictureDecoder.h, its wall-clock limit included.
class DecoderRun : public QObject {
public:
    using Done = std::function<void(DecodeResult, const QImage&)>;

    DecoderRun(const QString& program, const QString& path, PictureKind kind, Done done);
    ~DecoderRun() override;

    // Stops the decoder; `done` gets `result` unless the decoder has already
    // finished.
    void Stop(DecodeResult result);

private:
    void Read();
    void Finished();
    void Report(DecodeResult result, const QImage& picture = QImage());

    QProcess helper_;
    QTimer deadline_;
    QByteArray answer_;
    std::optional<DecodeResult> stopped_;
    Done done_;
};

}  // namespace tovik
