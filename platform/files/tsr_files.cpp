// Windows-style paths, folder search and byte ranges on a POSIX file system.
#include "platform/files/tsr_files.h"

#include <algorithm>
#include <mutex>
#include <unordered_map>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tsr {

namespace {

char FoldUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// Closes a directory stream on every path out.
struct DirCloser {
    void operator()(DIR* d) const
    {
        if (d)
            closedir(d);
    }
};
using UniqueDir = std::unique_ptr<DIR, DirCloser>;

bool PathExists(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

std::string FoldedName(std::string_view name)
{
    std::string out(name);
    for (char& c : out)
        c = FoldUpper(c);
    return out;
}

// Folder listings for case-insensitive lookups. A data folder with many
// resources whose names differ in case from their descriptors would
// otherwise be listed once per resource. A listing is used only while the
// folder's change time and identity are unchanged; a name it offers is
// checked to exist, and a name it lacks is looked for in a fresh listing,
// so the answer is always the file system's current one.
class FolderListingCache {
public:
    std::string Match(const std::string& dir, const std::string& name)
    {
        const std::string path = dir.empty() ? "." : dir;
        struct stat st;
        if (stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            return {};
        const std::string key = FoldedName(name);
        std::lock_guard<std::mutex> lock(m_mutex);
        Listing& listing = m_listings[path];
        bool fresh = false;
        if (!listing.valid || !SameStamp(listing.st, st)) {
            if (!Scan(path, listing))
                return {};
            listing.st = st;
            fresh = true;
        }
        for (int attempt = 0; attempt < 2; ++attempt) {
            const auto it = listing.names.find(key);
            if (it != listing.names.end() && PathExists(path + "/" + it->second))
                return it->second;
            if (fresh)
                break;
            if (!Scan(path, listing))
                return {};
            fresh = true;
        }
        return {};
    }

private:
    struct Listing {
        bool valid = false;
        struct stat st {};
        // Folded name -> the byte-wise smallest real name with that folding.
        std::unordered_map<std::string, std::string> names;
    };

    static bool SameStamp(const struct stat& a, const struct stat& b)
    {
        return a.st_ino == b.st_ino && a.st_dev == b.st_dev && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
               a.st_mtim.tv_nsec == b.st_mtim.tv_nsec && a.st_ctim.tv_sec == b.st_ctim.tv_sec &&
               a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
    }

    bool Scan(const std::string& path, Listing& listing)
    {
        if (m_listings.size() > kMaxFolders) {
            // Bounded: forget everything else (the current entry stays).
            for (auto it = m_listings.begin(); it != m_listings.end();)
                it = (&it->second == &listing) ? std::next(it) : m_listings.erase(it);
        }
        listing.valid = false;
        listing.names.clear();
        UniqueDir d(opendir(path.c_str()));
        if (!d)
            return false;
        while (dirent* e = readdir(d.get())) {
            std::string_view entry(e->d_name);
            if (entry == "." || entry == "..")
                continue;
            auto [it, added] = listing.names.try_emplace(FoldedName(entry), entry);
            if (!added && entry < it->second)
                it->second = entry;
        }
        listing.valid = true;
        return true;
    }

    static constexpr size_t kMaxFolders = 64;
    std::mutex m_mutex;
    std::unordered_map<std::string, Listing> m_listings;
};

// The name in `dir` equal to `name` ignoring case; the byte-wise smallest
// when several qualify. Empty when none.
std::string MatchInFolder(const std::string& dir, const std::string& name)
{
    static FolderListingCache cache;
    return cache.Match(dir, name);
}

// The components of a path after textual normalisation.
std::vector<std::string> SplitNormalised(std::string_view path, bool absolute)
{
    std::vector<std::string> parts;
    size_t i = 0;
    while (i < path.size()) {
        while (i < path.size() && IsSeparator(path[i]))
            ++i;
        size_t start = i;
        while (i < path.size() && !IsSeparator(path[i]))
            ++i;
        if (start == i)
            break;
        std::string comp(path.substr(start, i - start));
        const bool last = (i == path.size());
        if (comp != "." && comp != "..") {
            if (last) {
                // Windows drops trailing dots and spaces of the final name.
                while (!comp.empty() && (comp.back() == '.' || comp.back() == ' '))
                    comp.pop_back();
            }
            if (comp.empty())
                continue;
        }
        if (comp == ".")
            continue;
        if (comp == "..") {
            if (!parts.empty() && parts.back() != "..")
                parts.pop_back();
            else if (!absolute)
                parts.push_back(comp);
            continue;
        }
        parts.push_back(std::move(comp));
    }
    return parts;
}

bool FoldedLess(const std::string& a, const std::string& b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(FoldUpper(a[i]));
        const auto cb = static_cast<unsigned char>(FoldUpper(b[i]));
        if (ca != cb)
            return ca < cb;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b; // equal ignoring case: plain byte order keeps it fixed
}

} // namespace

bool NamesEqualNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldUpper(a[i]) != FoldUpper(b[i]))
            return false;
    }
    return true;
}

std::string ResolvePath(std::string_view winPath)
{
    if (winPath.empty())
        return {};
    const bool absolute = IsSeparator(winPath.front());
    const std::vector<std::string> parts = SplitNormalised(winPath, absolute);

    std::string result = absolute ? "/" : "";
    bool matching = true; // false once a component matched nothing
    for (const std::string& comp : parts) {
        const std::string dir = result;
        if (!result.empty() && result.back() != '/')
            result += '/';
        if (!matching || comp == "..") {
            result += comp;
            continue;
        }
        const std::string exact = result + comp;
        if (PathExists(exact)) {
            result = exact;
            continue;
        }
        const std::string found = MatchInFolder(dir, comp);
        if (found.empty()) {
            matching = false;
            result += comp;
        } else {
            result += found;
        }
    }
    if (result.empty())
        return ".";
    return result;
}

bool WildcardMatch(std::string_view pattern, std::string_view name)
{
    if (pattern == "*.*" || pattern == "*")
        return true;
    // Iterative matcher with one backtrack point for the last '*'.
    size_t p = 0, n = 0;
    size_t starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || FoldUpper(pattern[p]) == FoldUpper(name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

std::vector<std::string> FindFiles(std::string_view winPattern)
{
    size_t cut = winPattern.find_last_of("/\\");
    std::string_view folderPart = (cut == std::string_view::npos) ? std::string_view(".") : winPattern.substr(0, cut + 1);
    std::string_view pattern = (cut == std::string_view::npos) ? winPattern : winPattern.substr(cut + 1);

    std::vector<std::string> names;
    if (pattern.empty())
        return names;
    const std::string folder = ResolvePath(folderPart);
    UniqueDir d(opendir(folder.c_str()));
    if (!d)
        return names;
    while (dirent* e = readdir(d.get())) {
        std::string_view entry(e->d_name);
        if (entry == "." || entry == ".." || !WildcardMatch(pattern, entry))
            continue;
        struct stat st;
        const std::string full = folder + "/" + std::string(entry);
        if (stat(full.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        names.emplace_back(entry);
    }
    std::sort(names.begin(), names.end(), FoldedLess);
    return names;
}

bool DeleteFile(std::string_view winPath)
{
    const std::string path = ResolvePath(winPath);
    struct stat st;
    if (path.empty() || lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        return false;
    return unlink(path.c_str()) == 0;
}

bool FileExists(std::string_view winPath)
{
    const std::string path = ResolvePath(winPath);
    struct stat st;
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

int64_t FileSize(std::string_view winPath)
{
    const std::string path = ResolvePath(winPath);
    struct stat st;
    if (path.empty() || stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    return static_cast<int64_t>(st.st_size);
}

UniqueFile OpenFile(std::string_view winPath, const char* mode)
{
    const std::string path = ResolvePath(winPath);
    if (path.empty())
        return nullptr;
    return UniqueFile(std::fopen(path.c_str(), mode));
}

// ---- FileRange ----

FileRange::~FileRange() { Close(); }

FileRange::FileRange(FileRange&& other) noexcept
    : m_fd(other.m_fd), m_offset(other.m_offset), m_size(other.m_size), m_pos(other.m_pos)
{
    other.m_fd = -1;
}

FileRange& FileRange::operator=(FileRange&& other) noexcept
{
    if (this != &other) {
        Close();
        m_fd = other.m_fd;
        m_offset = other.m_offset;
        m_size = other.m_size;
        m_pos = other.m_pos;
        other.m_fd = -1;
    }
    return *this;
}

namespace {

// Opens a regular file read-only and tells its size; -1 when the path does
// not resolve, cannot be opened or names something else.
int OpenRegularFile(std::string_view winPath, int64_t& fileSize)
{
    const std::string path = ResolvePath(winPath);
    if (path.empty())
        return -1;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    fileSize = st.st_size;
    return fd;
}

} // namespace

void FileRange::Close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_offset = m_size = m_pos = 0;
}

FileRange::Status FileRange::Open(std::string_view winPath, int64_t offset, int64_t size)
{
    Close();
    int64_t fileSize = 0;
    const int fd = OpenRegularFile(winPath, fileSize);
    if (fd < 0)
        return Status::OpenFailed;
    if (size == -1 && offset >= 0 && offset <= fileSize)
        size = fileSize - offset;
    if (offset < 0 || size < 0 || offset > fileSize || size > fileSize - offset) {
        ::close(fd);
        return Status::BadRange;
    }
    m_fd = fd;
    m_offset = offset;
    m_size = size;
    m_pos = 0;
    return Status::Ok;
}

bool FileRange::Seek(int64_t pos, int whence)
{
    int64_t base = 0;
    if (whence == SEEK_CUR)
        base = m_pos;
    else if (whence == SEEK_END)
        base = m_size;
    else if (whence != SEEK_SET)
        return false;
    if (pos == INT64_MIN)
        return false;
    // Overflow-safe: both operands are bounded by the window size for any
    // accepted result.
    if ((pos > 0 && base > m_size - pos) || (pos < 0 && base < -pos))
        return false;
    const int64_t target = base + pos;
    if (target < 0 || target > m_size)
        return false;
    m_pos = target;
    return true;
}

size_t FileRange::ReadAt(int64_t pos, void* dst, size_t n) const
{
    if (m_fd < 0 || pos < 0 || pos >= m_size)
        return 0;
    const int64_t left = m_size - pos;
    if (static_cast<uint64_t>(n) > static_cast<uint64_t>(left))
        n = static_cast<size_t>(left);
    size_t done = 0;
    auto* out = static_cast<unsigned char*>(dst);
    while (done < n) {
        const ssize_t r = ::pread(m_fd, out + done, n - done, static_cast<off_t>(m_offset + pos + static_cast<int64_t>(done)));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            break;
        done += static_cast<size_t>(r);
    }
    return done;
}

size_t FileRange::Read(void* dst, size_t n)
{
    const size_t got = ReadAt(m_pos, dst, n);
    m_pos += static_cast<int64_t>(got);
    return got;
}

ReadRangeResult ReadFileRange(std::string_view winPath, int64_t offset, int64_t size, void* dst)
{
    if (offset < 0 || size < 0)
        return ReadRangeResult::SeekFailed;
    int64_t fileSize = 0;
    const int fd = OpenRegularFile(winPath, fileSize);
    if (fd < 0)
        return ReadRangeResult::OpenFailed;
    if (offset > fileSize) {
        ::close(fd);
        return ReadRangeResult::SeekFailed;
    }
    size_t done = 0;
    auto* out = static_cast<unsigned char*>(dst);
    const auto want = static_cast<size_t>(size);
    while (done < want) {
        const ssize_t r = ::pread(fd, out + done, want - done, static_cast<off_t>(offset + static_cast<int64_t>(done)));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            break;
        done += static_cast<size_t>(r);
    }
    ::close(fd);
    return done == want ? ReadRangeResult::Ok : ReadRangeResult::ShortRead;
}

} // namespace tsr
