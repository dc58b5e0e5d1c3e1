// The scan and fix under any page: bytes outside the rewritten objects stay as they were, the
// count is the number of objects rewritten, fixing twice changes nothing more than fixing once,
// and after a fix the save-time check finds no owned object to fix.

#include "fuzz/FuzzSupport.h"
#include "host/Application.h"
#include "host/HtmlDocument.h"
#include "markup/FlashFix.h"

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string page(reinterpret_cast<const char*>(data), size);
    const auto application = tlx::host::Application::create();
    const tlx::HostEditor editor(application);
    const auto window = application->newPage();
    const auto document = window->document();
    document->replaceRange(0, document->text().size(), page);

    // What the fix is to write, worked out on the page as it stands.
    std::vector<std::tuple<std::size_t, std::size_t, std::string>> rewrites;
    for (const tlx::ElementPtr& element : document->all().tags("OBJECT"))
        if (const auto markup = tlx::FixedMarkup(*element)) {
            const auto span = document->spanOf(element);
            FUZZ_CHECK(span.has_value(), page);
            rewrites.emplace_back(span->first, span->second, *markup);
        }
    std::sort(rewrites.begin(), rewrites.end());
    std::string expected;
    std::size_t at = 0;
    bool disjoint = true;
    for (const auto& [start, end, markup] : rewrites) {
        if (start < at) {
            disjoint = false;
            break;
        }
        expected += page.substr(at, start - at) + markup;
        at = end;
    }
    expected += page.substr(std::min(at, page.size()));

    const tlx::FixResult first = tlx::FixFlashObjects(editor);
    FUZZ_CHECK(!first.failed, page);
    const std::string fixed = document->text();
    FUZZ_CHECK(first.rewritten == rewrites.size() || !disjoint, page);
    if (disjoint)
        FUZZ_CHECK(fixed == expected,
                   "page: " + page + "\nfixed: " + fixed + "\nexpected: " + expected);

    const tlx::FixResult second = tlx::FixFlashObjects(editor);
    FUZZ_CHECK(second.rewritten == 0 && document->text() == fixed,
               "page: " + page + "\nfirst fix: " + fixed + "\nsecond fix: " + document->text());

    for (const tlx::ElementPtr& element : document->all().tags("OBJECT"))
        FUZZ_CHECK(!tlx::IsOwnedObject(*element) || !tlx::NeedsFix(*element),
                   "flagged after the fix: " + element->outerHTML() + "\npage: " + fixed);
    return 0;
}
