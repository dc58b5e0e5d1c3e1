#pragma once
// Re-editing in the creation dialog that made an object: the button, heading or intro movie
// dialog opened in update mode, filled from the object the properties dialog holds.

#include "addinbase/AddinContext.h"
#include "catalog/qt/PreviewFactory.h"
#include "editing/qt/FlashProp.h"

namespace tlx {

// The status bar's note when an intro movie's dialog opens without all of the object's settings
// filled in; the reason follows.
inline constexpr std::string_view kIntroNotFilledText =
    "The intro's dialog opened without all of its settings";

// The opener the properties dialog uses: fills the creation dialog of `kind` from the object
// the properties dialog kept, puts it in update mode (its Update reads the properties dialog's
// size and window mode and writes back its background) and shows it modally with the
// properties dialog hidden. An intro movie's text file that cannot be read ends it with a
// message; the properties dialog then stays.
FlashProp::CreationDialogOpener ReEditInCreationDialog(AddinContext& context,
                                                       PreviewFactory previews = {});

} // namespace tlx
