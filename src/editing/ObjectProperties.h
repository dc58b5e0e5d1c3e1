#pragma once
// The properties of one Flash object already in a page, as the properties dialog shows and
// writes them: its size (pixels or percent), where the movie sits in its box, its window mode
// and its background colour; reading them from the object, the markup the dialog writes back,
// shrinking and enlarging the size fields, duplicating and deleting the object.

#include "hostapi/HostEditor.h"

#include <optional>
#include <string>
#include <string_view>

namespace tlx {

// Items of the alignment lists and the window mode list, by index.
enum HorizontalAlign { kAlignCenter = 0, kAlignLeft = 1, kAlignRight = 2 };
enum VerticalAlign { kAlignMiddle = 0, kAlignTop = 1, kAlignBottom = 2 };
enum WindowMode { kNoWindowMode = -1, kWindowOpaque = 0, kWindowTransparent = 1 };

// The dialog's fields.
struct PropertyFields {
    std::string Width = "0";
    bool WidthPercent = false;
    std::string Height = "0";
    bool HeightPercent = false;
    int HAlign = kAlignCenter;
    int VAlign = kAlignMiddle;
    int WMode = kNoWindowMode;
    // The swatch's tooltip: the colour text written into the markup.
    std::string BackColorText = "#FFFFFF";
};

// What the dialog keeps of the object it was opened for.
struct SelectedObject {
    ElementPtr Element;
    std::string InnerMarkup;
    std::string Id;
    std::string MovieRef;
    // The size texts as read, without their percent sign: a size field that stops being a
    // number is reset to them.
    std::string LoadedWidth;
    std::string LoadedHeight;
    PropertyFields Fields;
};

// Reads an element as the dialog does when it loads. A null element gives the design-time
// fields and nothing else.
SelectedObject ReadSelectedObject(const ElementPtr& element);

// A size text split into its number part and whether it is a percentage: a "%" at the second
// position or later makes it one, and then the text's last character is dropped.
struct SizeText {
    std::string Loaded;
    bool Percent = false;
};
SizeText SplitSizeText(std::string_view text);

// The number at the start of a text (leading blanks skipped, 0 when there is none), and a
// number as plain decimal text ("300", "8.5", "-2").
double LeadingNumber(std::string_view text);
std::string NumberText(double value);
// Whether a field's text is a number: optional blanks, sign, digits with one decimal point,
// optional exponent; the empty text is not.
bool IsNumberText(std::string_view text);

// The alignment lists' indexes for an SALIGN value ("LT" is Left/Top; "TL" and anything else
// Center/Center), and the code written for them (empty for Center/Center).
std::pair<int, int> AlignmentOf(std::string_view salign);
std::string AlignmentCode(int hAlign, int vAlign);
// The window mode list's index for a WMODE value: Transparent for TRANSPARENT (quotes around it
// allowed), Opaque for anything else.
int WindowModeOf(std::string_view wmode);

// Whether the dialog offers re-editing in the creation dialog: the ID holds "Kestrelite" and is
// not a local file's ("oKestreliteFL").
bool OtherPropertiesEnabled(std::string_view id);

// The markup the dialog writes in place of the object, on one line.
std::string PropertiesMarkup(std::string_view id, std::string_view movieRef,
                             const PropertyFields& fields);

// The element the dialog's changes go to: the one it was opened for while that is still in the
// page, else the page's active element when it is a Flash object; nullptr otherwise, so that
// Flash markup never takes the place of another element.
ElementPtr PropertiesTarget(const HostEditor& editor, const ElementPtr& loaded);

// Replaces `target` by `markup` through a text range over the selection moved onto it. False
// when there is no target or the editor refused.
bool ChangeProperties(const HostEditor& editor, const ElementPtr& target,
                      const std::string& markup);

// Shrink and Enlarge of a size field: n - floor(n / 4) and n + floor(n / 4) for the number n at
// the field's start (0 when there is none), worked out exactly in decimal and written as plain
// decimal text ("4.35" shrinks to "3.35"). A number of more than a thousand digits written out
// is returned as it is.
std::string ShrunkSize(std::string_view field);
std::string EnlargedSize(std::string_view field);

// How a copy is renamed: every occurrence of OldText becomes NewText, and the copy is found by
// NewId. For an ID with "Kestrelite" at its second character or later, NewText is the product
// word and kind followed by the page's next number; for another ID, the ID followed by
// `randomSuffix` (0-999); without an ID there is no renaming.
struct DuplicateNames {
    std::string OldText;
    std::string NewText;
    std::string NewId;
};
std::optional<DuplicateNames> DuplicateNamesFor(std::string_view id, std::string_view nextNumber,
                                                int randomSuffix);

// Inserts a renamed copy of the object's current markup right after it and rewrites the copy
// into its canonical form. False when the copy could not be inserted.
bool DuplicateObject(const HostEditor& editor, const ElementPtr& element, std::string_view id,
                     int randomSuffix);

// A random whole number from 0 to 999 for a copy's name.
int RandomCopySuffix();

} // namespace tlx
