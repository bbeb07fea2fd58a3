#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/atomic_file.h"
#include "settings/section_list.h"

namespace vela {

// A whole INI file held in memory as an ordered list of sections, each an ordered list of
// lines kept verbatim. Reads and writes never touch the disk: the file is read when the object
// is created or given another name, and written in one piece (only when something changed) on
// FlushFile, on a change of name, on WriteString with everything empty, and on destruction.
//
// On disk: 8-bit text, lines end with CR LF when written and at LF, CR LF or a lone CR when
// read (so a file of an old editor keeps its lines through a flush); "[" name "]", the
// section's lines, one empty line; empty sections are left out. Lines before the first
// section header are ignored.
//
// Section names and keys ignore the case of ASCII letters; everything else is compared and
// stored as bytes, so UTF-8 text passes through unchanged.
class TBigIniFile {
  public:
    // Loads fileName when it names an existing file (empty: a file that lives only in memory).
    // Throws std::ios_base::failure when an existing file cannot be read.
    explicit TBigIniFile(const std::string& fileName);
    virtual ~TBigIniFile();
    TBigIniFile(const TBigIniFile&) = delete;
    TBigIniFile& operator=(const TBigIniFile&) = delete;

    // The value of the first line of the section whose key is aKey, or aDefault.
    virtual std::string ReadString(std::string_view aSection, std::string_view aKey,
                                   std::string_view aDefault);
    // Replaces the key's line in place or appends it (creating the section when missing). An
    // empty key erases the section instead, or flushes when section and value are empty too.
    // CR and LF become blanks; a key holding "=", a section name holding "]", and a key
    // starting with "[" together with a value ending in "]" would not read back as written and
    // are refused (nothing changes).
    virtual void WriteString(std::string_view aSection, std::string_view aKey,
                             std::string_view aValue);
    // Decimal or hexadecimal ("$", "x", "0x" prefixes) 32-bit integers; aDefault otherwise.
    virtual std::int32_t ReadInteger(std::string_view aSection, std::string_view aKey,
                                     std::int32_t aDefault);
    virtual void WriteInteger(std::string_view aSection, std::string_view aKey,
                              std::int32_t aValue);
    // Any nonzero integer is true; words such as "true" give aDefault.
    virtual bool ReadBool(std::string_view aSection, std::string_view aKey, bool aDefault);
    virtual void WriteBool(std::string_view aSection, std::string_view aKey, bool aValue);
    // Appends the key of every line (empty for a line without "=").
    virtual void ReadSection(std::string_view aSection, std::vector<std::string>& aStrings);
    // Replaces Strings by the names of all sections, empty ones included.
    virtual void ReadSections(std::vector<std::string>& Strings) const;
    // Appends every line of the section verbatim.
    virtual void ReadSectionValues(std::string_view aSection, std::vector<std::string>& aStrings);
    // Removes the lines of the section; it keeps its place but is not written while empty.
    virtual void EraseSection(std::string_view aSection);
    // Appends the file's layout: for each non-empty section its header, lines and "".
    virtual void ReadAll(std::vector<std::string>& aStrings) const;
    // Writes the file when something changed. Write failures are silent and leave the
    // changed mark set, so the next flush tries again; the old file is replaced only by a
    // completely written new one.
    virtual void FlushFile();

    // Appends the sections of aName (when it exists) after those held, then erases
    // duplicates. Throws std::ios_base::failure when an existing file cannot be read.
    void AppendFromFile(const std::string& aName);

    const TSectionList& SectionNames() const { return FSectionList; }
    const std::string& FileName() const { return FFileName; }
    // Flushes the old file, forgets every section and loads the new one. When the new file
    // exists but cannot be read the object is left without a file (so nothing can overwrite
    // it) and the error is thrown.
    void SetFileName(const std::string& fileName);
    bool HasChanged() const { return FHasChanged; }
    // Why the last flush that had something to write failed (empty when it succeeded), for a
    // caller that wants to tell the user; the flush itself stays silent.
    const std::string& LastWriteError() const { return FWriteError; }
    // The file operations flushes go through: the disk, unless a test hands in others, which
    // must outlive the object.
    void SetFileWriteOps(FileWriteOps& ops) { FWriteOps = &ops; }

    const TEraseSectionCallback& EraseSectionCallback() const { return FEraseSectionCallback; }
    void SetEraseSectionCallback(TEraseSectionCallback callback) {
        FEraseSectionCallback = std::move(callback);
    }
    // Load options; they act on the next load.
    bool FlagDropCommentLines() const { return FFlagDropCommentLines; }
    void SetFlagDropCommentLines(bool value) { FFlagDropCommentLines = value; }
    bool FlagFilterOutInvalid() const { return FFlagFilterOutInvalid; }
    void SetFlagFilterOutInvalid(bool value) { FFlagFilterOutInvalid = value; }
    bool FlagDropWhiteSpace() const { return FFlagDropWhiteSpace; }
    void SetFlagDropWhiteSpace(bool value) { FFlagDropWhiteSpace = value; }
    bool FlagDropApostrophes() const { return FFlagDropApostrophes; }
    void SetFlagDropApostrophes(bool value) { FFlagDropApostrophes = value; }

  protected:
    // Finds the section (remembering it) and the first line whose key is key; with create a
    // missing section is appended. items is the section's entry list or null; the result is
    // the line index or -1.
    std::ptrdiff_t FindItemIndex(std::string_view section, std::string_view key, bool create,
                                 TEntryList*& items);

  private:
    void ClearSections();
    void AppendFromText(std::string_view text);
    std::string FileText() const;

    std::string FFileName;
    bool FHasChanged = false;
    TSectionList FSectionList;
    std::ptrdiff_t FPrevSectionIndex = 0;
    TEraseSectionCallback FEraseSectionCallback;
    bool FFlagDropCommentLines = false;
    bool FFlagFilterOutInvalid = false;
    bool FFlagDropWhiteSpace = false;
    bool FFlagDropApostrophes = false;
    std::string FWriteError;
    FileWriteOps* FWriteOps = &DiskFileOps();
};

}  // namespace vela
