#include "settings/section_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vela {
namespace {

// What a plain walk finds: the first section named s (letter case ignored) from start on,
// wrapping around.
std::ptrdiff_t Scan(const TSectionList& list, std::string_view s, std::ptrdiff_t start) {
    const std::ptrdiff_t count = list.Count();
    if (start < 0 || start >= count) start = 0;
    for (std::ptrdiff_t n = 0, i = start; n < count; ++n, i = i + 1 == count ? 0 : i + 1)
        if (SameIniName(list.Strings(i), s)) return i;
    return -1;
}

std::string Mixed(std::string s, int variant) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        const bool upper = variant == 1 || (variant == 2 && i % 2 == 0);
        if (upper && s[i] >= 'a' && s[i] <= 'z') s[i] = static_cast<char>(s[i] - 'a' + 'A');
    }
    return s;
}

// The queries: every stride-th name held, in three letter cases, and names that are not held
// (among them letters outside ASCII, whose case is not folded).
std::vector<std::string> Queries(const TSectionList& list, std::ptrdiff_t stride) {
    std::vector<std::string> queries = {"", "missing", "sec", "section-1", "\xC3\xA4", "\xC3\x84"};
    for (std::ptrdiff_t i = 0; i < list.Count(); i += stride)
        for (int variant = 0; variant < 3; ++variant)
            queries.push_back(Mixed(list.Strings(i), variant));
    return queries;
}

void ExpectFindsWhatAScanFinds(TSectionList& list, const char* when, std::ptrdiff_t stride = 23) {
    for (const std::string& q : Queries(list, stride)) {
        for (const std::ptrdiff_t start : {std::ptrdiff_t{0}, list.Count() / 2, list.Count() + 5})
            ASSERT_EQ(list.Find(q, start), Scan(list, q, start)) << when << ": " << q;
        const std::ptrdiff_t found = list.IndexOf(q);
        ASSERT_EQ(found < 0, Scan(list, q, 0) < 0) << when << ": " << q;
        if (found >= 0) {
            ASSERT_TRUE(SameIniName(list.Strings(found), q)) << when << ": " << q;
        }
    }
}

// The index must find every section, in any letter case, as the list grows, while a load
// holds duplicates, after they are erased (which moves sections) and after the list is cleared.
TEST(SectionIndex, FindsWhatAScanFinds) {
    TSectionList list;
    ExpectFindsWhatAScanFinds(list, "empty");
    for (int i = 0; i < 3000; ++i) list.Add("Section" + std::to_string(i));
    list.Add("\xC3\xA4");
    ExpectFindsWhatAScanFinds(list, "grown");

    // A load appends duplicates before it erases them: some names again in another case.
    for (int i = 0; i < 3000; i += 97) list.Add(Mixed("section" + std::to_string(i), 1));
    ExpectFindsWhatAScanFinds(list, "with duplicates");

    // Keeping the later one of each pair moves every section after it.
    ASSERT_TRUE(list.EraseDuplicates(
        [](const std::string&, const TEntryList&, const TEntryList&) { return false; }));
    ASSERT_EQ(list.Count(), 3001);
    EXPECT_EQ(list.Find("SECTION97", 0), list.Count() - 30);
    ExpectFindsWhatAScanFinds(list, "after erasing");

    for (int i = 0; i < 2000; ++i) list.Add("Later" + std::to_string(i));
    ExpectFindsWhatAScanFinds(list, "added after erasing");

    list.Clear();
    EXPECT_EQ(list.Find("later5", 0), -1);
    list.Add("again");
    EXPECT_EQ(list.IndexOf("AGAIN"), 0);
}

// A big list (a loaded file, or one grown section by section) has its index built in another
// order; it must find the same.
TEST(SectionIndex, BigListsFindWhatAScanFinds) {
    for (const bool loaded : {true, false}) {
        SCOPED_TRACE(loaded ? "loaded" : "grown");
        TSectionList list;
        if (loaded) list.Reserve(40000);
        for (int i = 0; i < 40000; ++i) list.Add("Section" + std::to_string(i));
        for (int i = 0; i < 40000; i += 3999) list.Add("SECTION" + std::to_string(i));
        ExpectFindsWhatAScanFinds(list, "with duplicates", 2503);
        EXPECT_TRUE(list.EraseDuplicates(nullptr));
        ASSERT_EQ(list.Count(), 40000);
        ExpectFindsWhatAScanFinds(list, "after erasing", 2503);
        EXPECT_EQ(list.IndexOf("section39999"), 39999);
    }
}

}  // namespace
}  // namespace vela
