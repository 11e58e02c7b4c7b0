#pragma once

// "Config" of a video compressor: the picture quality and the key-frame interval the
// recording will use with it.

#include "capture/AviCompressors.h"
#include "capture/CompressorList.h"

#include <QDialog>

class QSpinBox;

namespace korvel::capture {

class CCompressorQualityDialog : public QDialog {
    Q_OBJECT

public:
    CCompressorQualityDialog(const QString& compressor, const CompressorSettings& settings,
                             QWidget* parent = nullptr);

    CompressorSettings settings() const;
    QSpinBox* qualityBox() const { return quality_; }
    QSpinBox* keyFrameBox() const { return keyFrames_; }

private:
    QSpinBox* quality_;    // child
    QSpinBox* keyFrames_;  // child
};

}  // namespace korvel::capture
