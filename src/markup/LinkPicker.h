#pragma once
// Picking a link address in the page editor's own hyperlink dialog. An editor that can show
// that dialog for an address alone (HostApplication::ChooseHyperlink) is asked so and the page
// is not touched. Otherwise a hidden placeholder image is planted at the selection, the
// editor's Insert > Hyperlink... command makes it a link, the address is read back and the
// placeholder removed again.

#include "addinbase/AddinContext.h"

#include <string>
#include <string_view>

namespace tlx {

inline constexpr std::string_view kLinkPlaceholderDiv =
    "<DIV ID=FPLink1 style='visibility:hidden; position:absolute; top:-1px; left:700px; WIDTH: "
    "1px;HEIGHT: 1px;'></DIV>";
inline constexpr std::string_view kLinkPlaceholderImage = "<IMG ID=FPLink2 SRC=''>";

// The address of the first "href=" of a range's markup: from past its opening quote up to
// the next double quote, never taking the markup's last character; empty without "href=".
std::string LinkAddressOf(std::string_view htmlText);

// The chosen address, or the empty text when the user cancelled or the editor could not run
// its dialog. The page keeps no trace of the placeholder.
std::string PickHyperlink(AddinContext& context);

} // namespace tlx
