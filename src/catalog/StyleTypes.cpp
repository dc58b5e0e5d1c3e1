#include "catalog/StyleTypes.h"

namespace tlx {

bool HasSound(std::string_view typeTag) {
    return typeTag.find("Snd") != std::string_view::npos;
}

ButtonStyle ButtonStyleOf(std::string_view typeTag) {
    ButtonStyle style;
    style.SoundEnabled = HasSound(typeTag);
    if (typeTag == "TwinText" || typeTag == "TwinTextSnd") {
        style.ColorControlsVisible = true;
        style.SecondaryTextVisible = true;
    } else if (typeTag == "SingleText" || typeTag == "SingleTextSnd") {
        style.ColorControlsVisible = true;
        style.SecondaryTextVisible = false;
    } else if (typeTag == "SingleTextNoColor" || typeTag == "SingleTextNoColorSnd") {
        style.ColorControlsVisible = false;
        style.SecondaryTextVisible = false;
    }
    return style;
}

HeadingStyle HeadingStyleOf(std::string_view typeTag) {
    HeadingStyle style;
    if (typeTag == "Standard")
        style.ColorControlsVisible = true;
    else if (typeTag == "NoColor")
        style.ColorControlsVisible = false;
    return style;
}

IntroMovieStyle IntroMovieStyleOf(std::string_view typeTag) {
    IntroMovieStyle style;
    if (typeTag == "Standard") {
        style.ColorControlsVisible = true;
        style.AdditionalTextEnabled = false;
        style.EffectAndSizeEnabled = true;
        style.EffectListHighlighted = true;
    } else if (typeTag == "StandardNoE") {
        style.ColorControlsVisible = true;
        style.AdditionalTextEnabled = false;
        style.EffectAndSizeEnabled = false;
    } else if (typeTag == "MoreText") {
        style.ColorControlsVisible = true;
        style.AdditionalTextEnabled = true;
        style.EffectAndSizeEnabled = true;
        style.EffectListHighlighted = true;
    } else if (typeTag == "MoreTextNoE") {
        style.ColorControlsVisible = true;
        style.AdditionalTextEnabled = true;
        style.EffectAndSizeEnabled = false;
    } else if (typeTag == "NoColor") {
        style.ColorControlsVisible = false;
    }
    return style;
}

} // namespace tlx
