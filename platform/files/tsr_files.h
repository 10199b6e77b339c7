// Files the way the engine's data expects them: paths written for Windows
// ("./DATA/", ".\data\kelpiehs.dat", any case, backslashes) are resolved on
// this file system component by component, folders are searched with
// Windows wildcards in a fixed order, and a byte range of a file (a
// resource inside a pack) can be read on its own.
//
// Nothing here throws; failures are reported through return values and the
// engine turns them into its own messages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tsr {

// ---- Path resolution ----------------------------------------------------
//
// Turns a Windows-style path into a path on this file system:
//  - '\' and '/' both separate components; repeated separators collapse;
//  - "." components vanish and ".." removes the component before it, by
//    text alone, before anything is looked up (as Windows normalises);
//  - trailing dots and spaces of the last component are dropped;
//  - each component is matched against its folder: the exact name when it
//    exists, otherwise a name equal to it ignoring ASCII case (when several
//    names differ only in case, the byte-wise smallest is taken, so the
//    choice never depends on folder order);
//  - from the first component that matches nothing, the rest is kept as
//    written, so a file that is about to be created gets the name given.
// Folder listings used for case-insensitive matches are kept between calls
// (a few dozen folders at most) and re-read when a folder changes or when
// they miss, so a big data folder is not listed once per file.
// A path starting with a separator stays absolute; anything else is
// relative to the current folder and comes back without a "./" prefix
// ("." for the current folder itself). An empty path resolves to "".
std::string ResolvePath(std::string_view winPath);

// Case-insensitive (ASCII) equality of two names, as Windows compares them.
bool NamesEqualNoCase(std::string_view a, std::string_view b);

// Windows wildcard match of one name: '*' any run, '?' one character, ASCII
// case ignored; "*.*" also matches names without a dot.
bool WildcardMatch(std::string_view pattern, std::string_view name);

// ---- Folder search ------------------------------------------------------
//
// FindFiles("./DATA/*.xml"): the names (not paths) of the regular files in
// the folder of the pattern that match its last component. The order is fixed:
// names compared byte by byte after folding ASCII letters to upper case
// (the order in which a Windows data volume lists them); names that differ
// only in case follow each other in plain byte order. A missing folder
// gives an empty list.
std::vector<std::string> FindFiles(std::string_view winPattern);

// ---- Whole files --------------------------------------------------------

// Deletes a file. True when it was deleted.
bool DeleteFile(std::string_view winPath);

// True when the path names an existing regular file.
bool FileExists(std::string_view winPath);

// Size of a regular file in bytes, or -1 when it cannot be examined.
int64_t FileSize(std::string_view winPath);

struct FileCloser {
    void operator()(std::FILE* f) const
    {
        if (f)
            std::fclose(f);
    }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// fopen with a resolved path. Mode as fopen's; add "b" for raw bytes
// (on this platform text and binary modes read the same bytes).
UniqueFile OpenFile(std::string_view winPath, const char* mode);

// ---- Byte ranges --------------------------------------------------------
//
// A read-only window (offset, size) onto a file: the resource of a pack
// entry, or a whole file with offset 0. Reads never go past the window.
// Used by the resource data loading and by the sound and music loaders,
// which stream from a file position.
class FileRange {
public:
    enum class Status {
        Ok,
        OpenFailed,   // the file cannot be opened
        BadRange,     // negative offset or size, or the window ends past the file
    };

    FileRange() = default;
    ~FileRange();
    FileRange(FileRange&& other) noexcept;
    FileRange& operator=(FileRange&& other) noexcept;
    FileRange(const FileRange&) = delete;
    FileRange& operator=(const FileRange&) = delete;

    // Opens the window. A size of -1 means "to the end of the file".
    // The file must hold offset + size bytes.
    Status Open(std::string_view winPath, int64_t offset, int64_t size);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }

    int64_t Size() const { return m_size; }   // bytes in the window
    int64_t Tell() const { return m_pos; }    // position within the window
    // Moves within the window (whence as fseek: SEEK_SET, SEEK_CUR,
    // SEEK_END). Positions outside [0, Size()] are refused (false).
    bool Seek(int64_t pos, int whence = SEEK_SET);
    // Reads up to n bytes from the position; returns the bytes read, which
    // is less than n only at the end of the window or on a read error.
    size_t Read(void* dst, size_t n);
    // Reads n bytes at a position of the window without moving it.
    size_t ReadAt(int64_t pos, void* dst, size_t n) const;

private:
    int m_fd = -1;
    int64_t m_offset = 0;
    int64_t m_size = 0;
    int64_t m_pos = 0;
};

// One-shot read of a whole window into dst (which must hold size bytes).
enum class ReadRangeResult {
    Ok,
    OpenFailed,   // cannot open the file
    SeekFailed,   // negative offset, or the file ends before the offset
    ShortRead,    // fewer than size bytes could be read
};
ReadRangeResult ReadFileRange(std::string_view winPath, int64_t offset, int64_t size, void* dst);

} // namespace tsr
