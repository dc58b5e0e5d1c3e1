#pragma once
// Reading values back out of the markup the add-in wrote: the movie query of an object and
// the colour texts (#RRGGBB) of its parameters.

#include <string>
#include <string_view>

namespace tlx {

// The markers around an object's movie reference in its markup.
inline constexpr std::string_view kMovieStartMarker = "movie VALUE=\"";
inline constexpr std::string_view kMovieEndMarker = "\">";

// "0"-"9" give 0-9, "A"-"F" give 10-15; every other character (lower-case "a"-"f" too) gives 0.
int HexDigit(char c);

// A colour text #RRGGBB (or RRGGBB) as a colour integer, red in the lowest byte; 0 for a text
// of five characters or fewer.
int HtmlColorToRgb(std::string_view text);

// The value of `key` (exact letter case) in a movie query or whole movie reference, with "+"
// read as a blank, "&amp;" as "&" and "%XX" escapes decoded; empty when the key is absent.
std::string QueryValue(std::string_view key, std::string_view query);

// The value of `key` in the movie reference of an object's outer markup.
std::string MarkupQueryValue(std::string_view key, std::string_view markup);

// The movie file reference of an object's outer markup, up to and including ".swf", with its
// "%XX" escapes (a blank is written %20) decoded; ".swf" alone when the markup has no movie
// parameter in double quotes.
std::string MovieFileFromMarkup(std::string_view markup);

} // namespace tlx
