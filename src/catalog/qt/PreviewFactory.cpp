#include "catalog/qt/PreviewFactory.h"

#include "catalog/qt/WebFlashPreview.h"

namespace tlx {

PreviewFactory WebPreviewFactory() {
    return [](QSize size, QWidget* parent) {
        auto* view = new WebFlashPreview(size, parent);
        return PreviewSlot{view, view};
    };
}

} // namespace tlx
