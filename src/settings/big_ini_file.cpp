#include "settings/big_ini_file.h"

#include <filesystem>
#include <ios>

#include "platform/atomic_file.h"
#include "text/line_ends.h"
#include "text/words.h"

namespace vela {

namespace {

bool IsBlankOrTab(char c) {
    return c == ' ' || c == '\t';
}

// An entry line as the load options shape it, built in one piece (a huge line is copied once
// and never shifted character by character). With dropWhiteSpace, blanks and tabs before the
// first "=" go, and those after it unless the "=" then stands first; with dropApostrophes, one
// pair of quotes or apostrophes around a value of at least two characters goes, when the "="
// does not stand first.
std::string EntryLine(std::string_view line, bool dropWhiteSpace, bool dropApostrophes) {
    const auto eq = line.find('=');
    if (eq == std::string_view::npos || (!dropWhiteSpace && !dropApostrophes))
        return std::string(line);
    std::string_view key = line.substr(0, eq);
    std::string_view value = line.substr(eq + 1);
    if (dropWhiteSpace) {
        while (!key.empty() && IsBlankOrTab(key.back())) key.remove_suffix(1);
        if (!key.empty())
            while (!value.empty() && IsBlankOrTab(value.front())) value.remove_prefix(1);
    }
    if (dropApostrophes && !key.empty() && value.size() >= 2 && value.front() == value.back() &&
        (value.front() == '"' || value.front() == '\'')) {
        value = value.substr(1, value.size() - 2);
    }
    std::string entry;
    entry.reserve(key.size() + 1 + value.size());
    entry.append(key).append(1, '=').append(value);
    return entry;
}

bool IsHeader(std::string_view line) {
    return line.size() >= 2 && line.front() == '[' && line.back() == ']';
}

// A line break inside a name or value would start a new line (or a whole forged section) in
// the file; a blank takes its place.
std::string WithoutLineBreaks(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c == '\r' || c == '\n') c = ' ';
    return out;
}

}  // namespace

TBigIniFile::TBigIniFile(const std::string& fileName) {
    SetFileName(fileName);
}

TBigIniFile::~TBigIniFile() {
    FlushFile();
}

void TBigIniFile::SetFileName(const std::string& fileName) {
    FlushFile();
    ClearSections();
    FFileName = fileName;
    if (!FFileName.empty()) {
        try {
            AppendFromFile(FFileName);
        } catch (...) {
            // Bound to a file it could not read, a later flush would replace that file with
            // next to nothing.
            ClearSections();
            FFileName.clear();
            FHasChanged = false;
            throw;
        }
    }
    // Duplicates erased while loading do not by themselves cause a rewrite.
    FHasChanged = false;
}

void TBigIniFile::ClearSections() {
    FSectionList.Clear();
}

void TBigIniFile::AppendFromFile(const std::string& aName) {
    namespace fs = std::filesystem;
    if (aName.empty()) return;
    std::error_code ec;
    const fs::file_status status = fs::status(aName, ec);
    switch (status.type()) {
        case fs::file_type::regular:
            break;
        case fs::file_type::not_found:
        case fs::file_type::none:
        case fs::file_type::unknown:
        case fs::file_type::directory:
            return;  // no file of that name
        default:
            // A pipe or a device could block or never end.
            throw std::ios_base::failure("Not a regular file: " + aName);
    }
    std::string content;
    if (!ReadWholeFile(aName, content)) throw std::ios_base::failure("Cannot read file: " + aName);
    AppendFromText(content);
    if (FSectionList.EraseDuplicates(FEraseSectionCallback)) FHasChanged = true;
}

void TBigIniFile::AppendFromText(std::string_view text) {
    // Counting the headers first lets a file of many sections be held without moving them
    // again and again.
    std::size_t headers = 0;
    ForEachLine(text, [&headers](std::string_view line) { headers += IsHeader(line) ? 1 : 0; });
    FSectionList.Reserve(static_cast<std::size_t>(FSectionList.Count()) + headers);

    std::ptrdiff_t current = -1;  // lines before the first header belong nowhere
    ForEachLine(text, [&](std::string_view line) {
        if (line.size() == 1 && line[0] == '\x1A') return;  // end-of-file mark
        if (FFlagDropCommentLines && !line.empty() && line[0] == ';') return;
        if (line.empty()) return;
        if (IsHeader(line)) {
            current = FSectionList.Add(std::string(line.substr(1, line.size() - 2)));
            return;
        }
        if (current < 0) return;
        std::string entry = EntryLine(line, FFlagDropWhiteSpace, FFlagDropApostrophes);
        if (FFlagFilterOutInvalid && entry.find('=') == std::string::npos) return;
        FSectionList.GetSectionItems(current).Add(std::move(entry));
    });
}

std::ptrdiff_t TBigIniFile::FindItemIndex(std::string_view section, std::string_view key,
                                          bool create, TEntryList*& items) {
    items = nullptr;
    const std::ptrdiff_t found = FSectionList.Find(section, FPrevSectionIndex);
    if (found < 0) {
        if (create) {
            FPrevSectionIndex = FSectionList.Add(std::string(section));
            items = &FSectionList.GetSectionItems(FPrevSectionIndex);
        }
        return -1;
    }
    FPrevSectionIndex = found;
    items = &FSectionList.GetSectionItems(found);
    return items->IndexOfKey(key);
}

std::string TBigIniFile::ReadString(std::string_view aSection, std::string_view aKey,
                                    std::string_view aDefault) {
    TEntryList* items = nullptr;
    const std::ptrdiff_t index = FindItemIndex(aSection, aKey, false, items);
    if (index < 0) return std::string(aDefault);
    const std::string& line = (*items)[static_cast<std::size_t>(index)];
    return line.substr(line.find('=') + 1);
}

void TBigIniFile::WriteString(std::string_view aSection, std::string_view aKey,
                              std::string_view aValue) {
    const std::string section = WithoutLineBreaks(aSection);
    const std::string key = WithoutLineBreaks(aKey);
    const std::string value = WithoutLineBreaks(aValue);
    if (key.empty()) {
        if (section.empty() && value.empty())
            FlushFile();
        else
            EraseSection(section);
        return;
    }
    // Lines that would read back differently: "a=b=v" has the key "a", "[a]b]" is the section
    // "a]b", and "[k=v]" is a section header.
    if (key.find('=') != std::string::npos || section.find(']') != std::string::npos) return;
    if (key.front() == '[' && !value.empty() && value.back() == ']') return;

    TEntryList* items = nullptr;
    const std::ptrdiff_t index = FindItemIndex(section, key, true, items);
    std::string line = key + '=' + value;
    if (index < 0) {
        items->Add(std::move(line));
        FHasChanged = true;
        return;
    }
    const auto slot = static_cast<std::size_t>(index);
    if ((*items)[slot] != line) FHasChanged = true;
    items->Put(slot, std::move(line));  // the key takes the caller's letter case
}

std::int32_t TBigIniFile::ReadInteger(std::string_view aSection, std::string_view aKey,
                                      std::int32_t aDefault) {
    std::string text = ReadString(aSection, aKey, "");
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.replace(0, 2, "$");
    std::int32_t value = 0;
    return ParseInt32(text, value) ? value : aDefault;
}

void TBigIniFile::WriteInteger(std::string_view aSection, std::string_view aKey,
                               std::int32_t aValue) {
    WriteString(aSection, aKey, std::to_string(aValue));
}

bool TBigIniFile::ReadBool(std::string_view aSection, std::string_view aKey, bool aDefault) {
    return ReadInteger(aSection, aKey, aDefault ? 1 : 0) != 0;
}

void TBigIniFile::WriteBool(std::string_view aSection, std::string_view aKey, bool aValue) {
    WriteString(aSection, aKey, aValue ? "1" : "0");
}

void TBigIniFile::ReadSection(std::string_view aSection, std::vector<std::string>& aStrings) {
    const std::ptrdiff_t index = FSectionList.IndexOf(aSection);
    if (index < 0) return;
    for (const std::string& line : FSectionList.GetSectionItems(index).Lines()) {
        std::string_view key;
        aStrings.emplace_back(LineKey(line, key) ? key : std::string_view());
    }
}

void TBigIniFile::ReadSections(std::vector<std::string>& Strings) const {
    Strings.clear();
    Strings.reserve(static_cast<std::size_t>(FSectionList.Count()));
    for (std::ptrdiff_t i = 0; i < FSectionList.Count(); ++i)
        Strings.push_back(FSectionList.Strings(i));
}

void TBigIniFile::ReadSectionValues(std::string_view aSection, std::vector<std::string>& aStrings) {
    const std::ptrdiff_t index = FSectionList.IndexOf(aSection);
    if (index < 0) return;
    const auto& lines = FSectionList.GetSectionItems(index).Lines();
    aStrings.insert(aStrings.end(), lines.begin(), lines.end());
}

void TBigIniFile::EraseSection(std::string_view aSection) {
    const std::ptrdiff_t index = FSectionList.IndexOf(aSection);
    if (index < 0) return;
    FSectionList.GetSectionItems(index).Clear();
    FHasChanged = true;
}

void TBigIniFile::ReadAll(std::vector<std::string>& aStrings) const {
    for (std::ptrdiff_t i = 0; i < FSectionList.Count(); ++i) {
        const TEntryList& items = FSectionList.GetSectionItems(i);
        if (items.Empty()) continue;
        aStrings.push_back('[' + FSectionList.Strings(i) + ']');
        aStrings.insert(aStrings.end(), items.Lines().begin(), items.Lines().end());
        aStrings.emplace_back();
    }
}

std::string TBigIniFile::FileText() const {
    std::size_t size = 0;
    for (std::ptrdiff_t i = 0; i < FSectionList.Count(); ++i) {
        const TEntryList& items = FSectionList.GetSectionItems(i);
        if (items.Empty()) continue;
        size += FSectionList.Strings(i).size() + 6;
        for (const std::string& line : items.Lines()) size += line.size() + 2;
    }
    std::string text;
    text.reserve(size);
    for (std::ptrdiff_t i = 0; i < FSectionList.Count(); ++i) {
        const TEntryList& items = FSectionList.GetSectionItems(i);
        if (items.Empty()) continue;
        text += '[';
        text += FSectionList.Strings(i);
        text += "]\r\n";
        for (const std::string& line : items.Lines()) {
            text += line;
            text += "\r\n";
        }
        text += "\r\n";
    }
    return text;
}

void TBigIniFile::FlushFile() {
    if (!FHasChanged) return;
    if (FFileName.empty()) {
        FHasChanged = false;
        return;
    }
    // Silent by design: on failure the mark stays set and the next flush tries again.
    try {
        FWriteError.clear();
        if (WriteFileAtomically(FFileName, FileText(), &FWriteError, *FWriteOps))
            FHasChanged = false;
    } catch (...) {
        try {
            FWriteError = "cannot write \"" + FFileName + "\"";
        } catch (...) {
            // Out of memory even for the reason: the mark alone tells.
        }
    }
}

}  // namespace vela
