#pragma once

// The file dialog's names and folders, without any window: filter strings, pattern matching,
// the names shown for what lies on the disk, and the mapping of a typed name back to a path.
//
// Two spellings of a name meet here. On the disk a name is bytes: Shift-JIS where the game
// wrote it, UTF-8 where the desktop did. Windows show Shift-JIS. `DisplayName` gives the
// shown spelling; paths handed back to the program keep the disk bytes, so that what the
// dialog returns opens the file it showed. A name typed for a new file stays Shift-JIS, the
// game's own encoding.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zv::ui::filedlg {

struct FilterEntry {
    std::string label;    // Shift-JIS, as shown in the type combo
    std::string pattern;  // "*.ddm", "MAP?????.ddm;*.ddg", ...
};

// Splits "label\0pattern\0label\0pattern\0\0". A label without a pattern ends the list.
// Reads at most maxBytes bytes (a filter that never ends is cut there).
std::vector<FilterEntry> ParseFilter(const char* filter, std::size_t maxBytes = 65536);

// True when the name matches one of the ';'-separated patterns: '*' any run of characters,
// '?' one character (a double-byte character counts as one), ASCII letters without regard to
// case, "*.*" matching every name (also names without a dot). Spaces around a pattern are
// ignored. An empty pattern list matches everything. Both are Shift-JIS.
bool MatchesFilePattern(std::string_view patterns, std::string_view name);

// True when the text holds '*' or '?' outside double-byte characters.
bool HasWildcards(std::string_view sjis);

// Equal without regard to ASCII case, trail bytes of double-byte characters compared as they
// are.
bool SameNameIgnoringCase(std::string_view a, std::string_view b);

// The Shift-JIS spelling of a name as it lies on the disk: UTF-8 names are converted, every
// other name is taken to be Shift-JIS already.
std::string DisplayName(std::string_view diskName);

// DisplayName for each component of a path.
std::string DisplayPath(std::string_view diskPath);

// The extension appended to a typed name that has none: the extension of the first pattern of
// the current filter when it is a plain one ("*.ddg", "MAP?????.ddm"); otherwise the default
// extension given by the caller, when that is a plain extension itself ("ddm", ".ddm",
// "*.ddm"). Empty when there is none. Without the dot.
std::string DefaultExtension(std::string_view filterPattern, std::string_view defExt);

// True when the last component of a name has an extension.
bool HasExtension(std::string_view sjis);

struct DirEntry {
    std::string disk;     // the bytes on the disk
    std::string display;  // Shift-JIS
    bool folder = false;
};

// The folders (all of them) and the files that match `patterns`, folders first, each sorted
// by shown name without regard to case. Hidden entries (a leading '.') are left out. Nothing
// when the folder cannot be read.
std::optional<std::vector<DirEntry>> ListFolder(const std::string& folder,
                                                std::string_view patterns);

// An absolute, normalised folder path: "." and ".." resolved, no repeated or trailing '/'
// (the root stays "/"). Relative paths are taken from the current directory.
std::string NormalizeFolder(const std::string& path);
std::string JoinPath(const std::string& folder, const std::string& name);
// The folder above; the root is its own parent.
std::string ParentFolder(const std::string& folder);
// The last component ("" for the root).
std::string LastComponent(const std::string& path);

// The path that a typed name means, seen from `folder`. '/' and '\' (outside double-byte
// characters) separate components; a leading '/' starts from the root, a leading "~" from the
// home folder; "." and ".." work as usual. Each component that names an entry of its folder
// (by its shown name, exactly or else without regard to case) takes that entry's disk bytes;
// the others stay as typed. The result is normalised like NormalizeFolder.
std::string MapTypedPath(const std::string& folder, std::string_view typedSjis);

// The folder part and the last component of a typed text, split at its last separator
// ("" and the text when it has none). Separators as in MapTypedPath.
void SplitTyped(std::string_view typedSjis, std::string* folderPart, std::string* namePart);

// The ancestors of a folder, root first, ending with the folder itself.
std::vector<std::string> FolderChain(const std::string& folder);

}  // namespace zv::ui::filedlg
