#pragma once
// The movie references the creation dialogs write: the movie's file name, "?" and the kind's
// keys in a fixed order, each "KEY=value", joined by "&". Every key of the kind is always
// written, empty or not. Button, heading and intro movie references then have every blank
// turned into "+"; the misc art reference keeps its blanks. Quote characters, which would end
// the markup attribute the reference is written into, are written as %22 (double quote) and
// %27 (single quote) in every reference; the Flash player decodes them back into quotes when it
// hands the parameters to the movie. So that a typed text reaches the movie whole, "&", "+" and
// "%" in a value are written %26, %2B and %25, and a blank in the file name of a button,
// heading or intro movie reference is written %20 (a browser does not read "+" in a path as a
// blank); blanks in values still become "+". Nothing else is encoded: "=", "?" and "#" in
// user text go in unchanged.

#include <span>
#include <string>
#include <string_view>

namespace tlx {

// The object kinds the creation dialogs make.
enum class CreationKind { Button, Heading, IntroMovie, MiscArt };

// The two-letter kind code in the object ID: "BT", "HD", "MV", "CL".
std::string_view KindCode(CreationKind kind);

// The object ID before its three-digit number: "oKestrelite" followed by the kind code.
std::string IdPrefix(CreationKind kind);

// The keys of a kind's reference, in the order they are written.
std::span<const std::string_view> KeyOrder(CreationKind kind);

// The six hexadecimal digits written for a colour: the last six characters of a swatch's colour
// text ("#FF0000" gives "FF0000"); a shorter text is taken whole.
std::string ColorDigits(std::string_view colorText);

// A value as written into a reference: "%", "&" and "+" as %25, %26 and %2B, bytes outside
// ASCII as %XX.
std::string EncodeQueryValue(std::string_view value);
// A file name as written before the "?": blanks as %20, bytes outside ASCII as %XX.
std::string EncodeFileNamePart(std::string_view fileName);
// Only the bytes outside ASCII as %XX (the file name of a misc art or local movie, whose blanks
// stay as they are).
std::string EncodeNonAscii(std::string_view text);

// The final encoding of an assembled reference: blanks become "+" when `blanksAsPlus`, and
// quote characters become %22 and %27.
std::string EncodeMovieReference(std::string_view reference, bool blanksAsPlus);

// Values of a Flash button (kind BT); defaults are the dialog's designed control texts.
struct ButtonParameters {
    std::string FileName;              // chosen movie
    std::string T1 = "Your Text";      // Text1
    std::string T2 = "More Text";      // Text2
    std::string TextColor = "#000000"; // fTextColor's colour text; TC is its last six characters
    std::string TU;                    // Text3, the link
    std::string TW = "_self";          // Text4, the link window
    std::string BS;                    // bare sound file name, empty without sound
};

// Values of a Flash heading (kind HD).
struct HeadingParameters {
    std::string FileName;
    std::string T1 = "Your Text";
    std::string TextColor = "#000000";
    std::string TU;
    std::string TW = "_self";
    std::string BM; // bare background movie name, empty for "None..."
};

// Values of a Flash intro movie (kind MV). Its texts live in its text file, named by TF.
struct IntroMovieParameters {
    std::string FileName;
    std::string TF; // bare text file name
    std::string TextColor = "#000000";
    std::string TM; // music, empty when none
    std::string TE; // text effect, empty when none
    std::string BM; // background, empty when none
    std::string TS = "40";
    std::string TU;
    std::string TW = "_self";
};

// FileName + "?T1=..&T2=..&TC=..&TU=..&TW=..&BS=..", blanks as "+".
std::string ButtonMovieReference(const ButtonParameters& p);
// FileName + "?T1=..&TC=..&TU=..&TW=..&BM=..", blanks as "+".
std::string HeadingMovieReference(const HeadingParameters& p);
// FileName + "?TF=..&TC=..&TM=..&TE=..&BM=..&TS=..&TU=..&TW=..", blanks as "+".
std::string IntroMovieReference(const IntroMovieParameters& p);
// FileName + "?CA=1", blanks kept, bytes outside ASCII as %XX.
std::string MiscArtMovieReference(std::string_view fileName);

} // namespace tlx
