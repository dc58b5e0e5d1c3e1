// The colour weighting filter: which keys a preview passes on, and the weightings written into
// an object's markup only where the object carries them.

#include "editing/Colorisation.h"

#include <gtest/gtest.h>

using namespace tlx;

namespace {

const std::string kMovie = "btgel.swf?T1=Our+breads&TC=FFFFFF&CWR=25&CWG=0&CWB=-10";

std::string ObjectMarkup(const std::string& movie) {
    return "<OBJECT ID=oKestreliteBT002 WIDTH=180 HEIGHT=44><PARAM NAME=movie VALUE=\"" + movie +
           "\"><PARAM NAME=FlashVars VALUE=\"" + movie.substr(movie.find('?') + 1) +
           "\"><EMBED src='" + movie + "' FlashVars=\"" + movie.substr(movie.find('?') + 1) +
           "\"></EMBED></OBJECT>";
}

} // namespace

TEST(Colorisation, WeightingsAreWrittenWhereverTheParametersStand) {
    struct Case {
        std::string movie;
        Weightings labels;
        std::string expectedMovie;
    };
    const Case cases[] = {
        {kMovie, {"40", "0", "-20"}, "btgel.swf?T1=Our+breads&TC=FFFFFF&CWR=40&CWG=0&CWB=-20"},
        // Without the keys the object keeps its parameters.
        {"art.swf?CA=1", {"40", "10", "5"}, "art.swf?CA=1"},
        // Whole values only: CWR=2 does not touch a longer value elsewhere.
        {"a.swf?CWR=2&CWG=2&CWB=2", {"-1", "3", "2"}, "a.swf?CWR=-1&CWG=3&CWB=2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.movie);
        EXPECT_EQ(ApplyWeightings(ObjectMarkup(c.movie), c.movie, c.labels),
                  ObjectMarkup(c.expectedMovie));
    }
    // The editor's "&amp;" is read through and written back plain.
    const std::string edited = "<OBJECT><PARAM NAME=movie VALUE=\"a.swf?T1=x&amp;CWR=25\">"
                               "<EMBED src='a.swf?T1=x&amp;CWR=25&amp;CWR=250'></EMBED></OBJECT>";
    EXPECT_EQ(ApplyWeightings(edited, "a.swf?T1=x&CWR=25", {"30", "", ""}),
              "<OBJECT><PARAM NAME=movie VALUE=\"a.swf?T1=x&CWR=30\">"
              "<EMBED src='a.swf?T1=x&CWR=30&CWR=250'></EMBED></OBJECT>");
}

TEST(Colorisation, LabelsStartFromTheObjectsWeightings) {
    const Weightings w = WeightingsOf(kMovie);
    EXPECT_EQ(w.Red, "25");
    EXPECT_EQ(w.Green, "0");
    EXPECT_EQ(w.Blue, "-10");
    EXPECT_EQ(WeightingsOf("a.swf?CA=1").Red, "");
    EXPECT_EQ(SliderValueOf("-10"), -10);
    EXPECT_EQ(SliderValueOf("250"), 100);
    EXPECT_EQ(SliderValueOf(""), 0);
}

TEST(Colorisation, PreviewPassesTheKeysOfTheObjectsKindThenTheLabels) {
    const ColorisationPreview button =
        ColorisationPreviewOf("oKestreliteBT002", ObjectMarkup(kMovie), kMovie, {"1", "2", "3"});
    EXPECT_EQ(button.MovieFile, "btgel.swf");
    std::vector<std::string> keys;
    for (const auto& [key, value] : button.Variables)
        keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string>{"T1", "T2", "TU", "TW", "BS", "TC", "CWR", "CWG",
                                              "CWB", "CWR", "CWG", "CWB"}));
    EXPECT_EQ(button.Variables[0].second, "Our breads");
    EXPECT_EQ(button.Variables.back().second, "3");

    struct Kind {
        const char* id;
        std::size_t keys;
    };
    for (const Kind& kind :
         {Kind{"oKestreliteTP001", 21}, Kind{"oKestreliteMM001", 9}, Kind{"oKestreliteSS001", 6},
          Kind{"oKestreliteSM001", 9}, Kind{"oKestreliteMV001", 11}, Kind{"oKestreliteHD001", 8},
          Kind{"oKestreliteCL001", 0}, Kind{"flash1", 0}})
        EXPECT_EQ(ColorisationKeys(kind.id).size(), kind.keys) << kind.id;
    // The file of a reference with a folder or an encoded blank is the library's bare name.
    EXPECT_EQ(ColorisationPreviewOf("x", "", "movies/b%201.swf?T1=a", {}).MovieFile, "b 1.swf");
}
