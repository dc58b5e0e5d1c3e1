#pragma once
// The colour weighting filter: three movie parameters CWR, CWG and CWB (-100 to 100) in an
// object's parameter string, which the movies apply to themselves. Which keys a preview passes
// on for each kind of object, and how the weightings are written into an object's markup.

#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tlx {

// The keys the preview passes to the movie for an object of this ID (by its first 13
// characters), in order; none for an ID of another kind.
std::span<const std::string_view> ColorisationKeys(std::string_view id);

// The three weighting keys.
inline constexpr std::string_view kWeightingKeys[] = {"CWR", "CWG", "CWB"};

struct Weightings {
    std::string Red;
    std::string Green;
    std::string Blue;
};

// The weightings a movie reference carries ("" for a missing key).
Weightings WeightingsOf(std::string_view movieRef);

// The object's markup with each weighting key's value replaced by the new one, wherever its
// parameter string stands (movie parameter, FlashVars, EMBED). A key whose value the movie
// reference does not hold is left as it is, so an object without the keys keeps its
// parameters. Only whole values are replaced: "CWR=2" never touches "CWR=25".
std::string ApplyWeightings(std::string_view outerMarkup, std::string_view movieRef,
                            const Weightings& weightings);

// What a preview of the object is given: its movie's file name in the library and the
// variables to set, in order (the object's own keys, then the three weightings).
struct ColorisationPreview {
    std::string MovieFile;
    std::vector<std::pair<std::string, std::string>> Variables;
};
ColorisationPreview ColorisationPreviewOf(std::string_view id, std::string_view outerMarkup,
                                          std::string_view movieRef, const Weightings& weightings);

// "&amp;" (any letter case) replaced by "&".
std::string PlainAmpersands(std::string_view text);

// The number a weighting label shows, as a slider takes it: its leading whole number, kept
// within -100..100 (0 for a label without a number).
int SliderValueOf(std::string_view label);

} // namespace tlx
