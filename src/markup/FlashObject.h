#pragma once
// The record of one Flash object in a page, its exact markup (an OBJECT for the ActiveX
// player with an EMBED for plug-in browsers), the sequence number of new objects, the writer
// that inserts or replaces an object at the selection and the rewrite of an object already in
// the page.

#include "hostapi/HostEditor.h"

#include <string>
#include <string_view>

namespace tlx {

// The two-letter code in an object's ID.
enum class ObjectKind { Unknown, BT, HD, MV, CL, FL, TP, MM, SS, SM };

// The ID prefix of every object the add-in owns, and that of local Flash files.
inline constexpr std::string_view kOwnedIdPrefix = "oKestrelite";
inline constexpr std::string_view kLocalFileIdPrefix = "oFromFileFL";

// The kind of an object by its ID: characters 12 and 13 of an "oKestrelite" ID, FL for an
// "oFromFileFL" ID, Unknown otherwise.
ObjectKind ObjectKindOf(std::string_view id);
// "BT", "HD", ...; empty for Unknown.
std::string_view ObjectKindCode(ObjectKind kind);

// The player's cabinet and the page where a browser without the plug-in gets it.
inline constexpr std::string_view kPlayerCabinetAddress =
    "https://download.macromedia.com/pub/shockwave/cabs/flash/swflash.cab#version=6,0,23,0";
inline constexpr std::string_view kPlayerDownloadPage =
    "https://www.macromedia.com/shockwave/download/index.cgi?P1_Prod_Version=ShockwaveFlash";

// `value` with its quote characters written as %22 and %27, the escapes a movie address
// understands, so that it cannot end the attribute it stands in.
std::string EscapeQuotes(std::string_view value);

// The part of a movie reference after its first ".swf?" (letter case of the marker ignored,
// the rest as written); empty when there is none.
std::string FlashVarsOf(std::string_view movieRef);

struct FlashObject {
    std::string Id; // "o" + kind prefix + sequence number
    ObjectKind Kind = ObjectKind::Unknown;
    std::string MovieRef; // file name, "?" and the parameters, "&" plain
    std::string Width;
    std::string Height;
    std::string Background; // #RRGGBB
    std::string WMode;
    std::string SAlign;

    std::string FlashVars() const { return FlashVarsOf(MovieRef); }
};

// Where the SAlign parameter stands: the writer puts it after FlashVars, the rewrite before.
enum class SAlignPlacement { AfterFlashVars, BeforeFlashVars };

// The object's markup, on one line, exactly as the add-in writes it.
std::string FlashObjectMarkup(const FlashObject& object,
                              SAlignPlacement placement = SAlignPlacement::AfterFlashVars);

// The three-digit number for the next new object of the active page ("001"...), shared by all
// owned kinds; the empty text once 999 is taken.
std::string NextObjectNumber(const HostEditor& editor);

// Inserts an object at the selection, or with `replace` replaces the selected object (keeping
// its colour weighting), and leaves it in its rewritten form. `id` is the full ID with its
// leading "o". Without a page or a selected element nothing changes, nor with `replace` when
// the active element is not an object, nor when the editor finds no place in the body where a
// browser shows the object; false then.
bool InsertFlashObject(const HostEditor& editor, const std::string& id, const std::string& movie,
                       const std::string& width, const std::string& height,
                       const std::string& bgcolor, const std::string& wmode,
                       const std::string& salign, bool replace);

// The regenerated markup of one OBJECT element of the page: the values the add-in writes,
// read from the element, in the canonical form (nothing else is kept).
std::string RewriteObjectMarkup(const HostElement& element);

} // namespace tlx
