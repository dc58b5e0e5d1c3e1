#pragma once
// The preview factory of offscreen tests: each dialog gets a plain widget of the preview's size
// that records the calls instead of a web view that plays the movie.

#include "catalog/qt/PreviewFactory.h"
#include "common/RecordingFlashPreview.h"

#include <QSize>
#include <QWidget>

namespace tlx {

class RecordingPreviewWidget : public QWidget, public RecordingFlashPreview {
public:
    explicit RecordingPreviewWidget(QSize size, QWidget* parent = nullptr) : QWidget(parent) {
        setFixedSize(size);
    }
};

inline PreviewFactory RecordingPreviewFactory() {
    return [](QSize size, QWidget* parent) {
        auto* widget = new RecordingPreviewWidget(size, parent);
        return PreviewSlot{widget, widget};
    };
}

} // namespace tlx
