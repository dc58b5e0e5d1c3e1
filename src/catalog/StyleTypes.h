#pragma once
// The style type of a chosen catalog entry decides which optional controls a creation dialog
// offers. Each table gives, per type, the new state of a group of controls; an empty optional
// means "leave as it is" (types not in a table change nothing). Types are compared exactly,
// letter case significant.

#include <cstdint>
#include <optional>
#include <string_view>

namespace tlx {

// Button dialog.
struct ButtonStyle {
    // Text colour swatch fTextColor, its button btBorderColor and its label Label6.
    std::optional<bool> ColorControlsVisible;
    // Secondary text Text2 and its label Label4.
    std::optional<bool> SecondaryTextVisible;
    // The sound list SoundDesc: enabled exactly when the type contains "Snd".
    bool SoundEnabled = false;
};

ButtonStyle ButtonStyleOf(std::string_view typeTag);

// Whether a button type offers a click sound: it contains "Snd", letter case significant.
bool HasSound(std::string_view typeTag);

// Heading dialog.
struct HeadingStyle {
    std::optional<bool> ColorControlsVisible;
};

HeadingStyle HeadingStyleOf(std::string_view typeTag);

// Intro movie dialog.
struct IntroMovieStyle {
    std::optional<bool> ColorControlsVisible;
    // The additional text AddText and its button Command3.
    std::optional<bool> AdditionalTextEnabled;
    // The text-effect list HeadStyle and the size box TSize.
    std::optional<bool> EffectAndSizeEnabled;
    // The effect list's fill after the choice: every new choice resets it to white, and the
    // types that enable the effect list highlight it.
    bool EffectListHighlighted = false;
};

IntroMovieStyle IntroMovieStyleOf(std::string_view typeTag);

// Fills of the intro movie dialog's effect list, as colour integers (red in the lowest byte).
inline constexpr std::uint32_t kEffectListHighlight = 255u + 255u * 256u + 192u * 65536u;
inline constexpr std::uint32_t kEffectListPlain = 0xFFFFFFu;

// Applies one entry of a table to a control's current state.
inline bool ApplyStyle(std::optional<bool> change, bool current) {
    return change.value_or(current);
}

} // namespace tlx
