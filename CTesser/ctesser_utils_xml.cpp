// The XML reader. The parser walks the text with one position and never
// looks past its end: every malformed input (an unclosed element, comment,
// instruction or value) simply ends the parse with what has been read.
#include "ctesser_utils_xml.h"

#include <algorithm>
#include <cstring>
#include <forward_list>
#include <string_view>
#include <tuple>

#include "platform/files/tsr_files.h"

namespace {

// Whitespace of the reader: exactly space, tab and line feed.
inline bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n'; }

inline const char* Find(const char* p, const char* end, char c)
{
    if (p >= end)
        return end;
    const void* hit = std::memchr(p, c, static_cast<size_t>(end - p));
    return hit ? static_cast<const char*>(hit) : end;
}

inline const char* SkipSpace(const char* p, const char* end)
{
    while (p < end && IsSpace(*p))
        ++p;
    return p;
}

// Appends `size` bytes to `out`, unscrambled when asked, without carriage
// returns (as a text-mode read of a CR/LF file gives them).
void AppendText(std::string& out, const char* data, size_t size, bool scrambled)
{
    if (scrambled) {
        out.reserve(out.size() + size);
        for (size_t i = 0; i < size; ++i) {
            const char c = static_cast<char>(static_cast<unsigned char>(data[i]) ^ XML_SCRAMBLE_KEY);
            if (c != '\r')
                out.push_back(c);
        }
        return;
    }
    const char* p = data;
    const char* const end = data + size;
    out.reserve(out.size() + size);
    while (p < end) {
        const char* cr = Find(p, end, '\r');
        out.append(p, static_cast<size_t>(cr - p));
        p = cr + 1;
    }
}

} // namespace

void ThrowMessageText(std::string message)
{
    // Every such message ends the program, so keeping them all costs little;
    // a list never moves the characters of an entry already handed out.
    static std::forward_list<std::string> s_messages;
    s_messages.push_front(std::move(message));
    throw static_cast<const char*>(s_messages.front().c_str());
}

// ---- CXMLNode ------------------------------------------------------------

CXMLNode::~CXMLNode() { Clear(); }

void CXMLNode::Clear()
{
    // Without recursion: a deeply nested document must not exhaust the stack.
    std::vector<std::unique_ptr<CXMLNode>> pending = std::move(m_children);
    m_children.clear();
    while (!pending.empty()) {
        std::unique_ptr<CXMLNode> node = std::move(pending.back());
        pending.pop_back();
        for (auto& child : node->m_children)
            pending.push_back(std::move(child));
        node->m_children.clear();
    }
    m_name.clear();
    m_attributes.clear();
    m_cursor = 0;
}

CXMLNode* CXMLNode::GetChild(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_children.size())
        return nullptr;
    return m_children[static_cast<size_t>(index)].get();
}

namespace {
// Same byte-wise order as the sort of SortAttributes.
struct AttributeNameLess {
    template <class A>
    bool operator()(const A& a, std::string_view name) const { return a.first.compare(name) < 0; }
};
} // namespace

const char* CXMLNode::GetAttribute(const char* name) const
{
    if (!name)
        return "";
    const std::string_view key(name);
    auto it = std::lower_bound(m_attributes.begin(), m_attributes.end(), key, AttributeNameLess{});
    if (it != m_attributes.end() && it->first == key)
        return it->second.c_str();
    return "";
}

bool CXMLNode::HasAttribute(const char* name) const
{
    if (!name)
        return false;
    const std::string_view key(name);
    auto it = std::lower_bound(m_attributes.begin(), m_attributes.end(), key, AttributeNameLess{});
    return it != m_attributes.end() && it->first == key;
}

const char* CXMLNode::GetAttributeName() const
{
    return m_cursor < m_attributes.size() ? m_attributes[m_cursor].first.c_str() : nullptr;
}

void CXMLNode::NextAttribute()
{
    if (m_cursor < m_attributes.size())
        ++m_cursor;
}

CXMLNode* CXMLNode::AddChild()
{
    m_children.push_back(std::make_unique<CXMLNode>(this));
    return m_children.back().get();
}

void CXMLNode::AppendAttribute(const char* name, size_t nameLen, const char* value, size_t valueLen)
{
    m_attributes.emplace_back(std::piecewise_construct, std::forward_as_tuple(name, nameLen),
                              std::forward_as_tuple(value, valueLen));
}

void CXMLNode::SortAttributes()
{
    // Attributes are appended in document order while a tag is read; here
    // they become the ordered map: sorted by name, the last occurrence of a
    // name winning. Names are compared as strings of bytes (a name may hold
    // a zero byte).
    if (m_attributes.size() < 2)
        return;
    auto less = [](const Attribute& a, const Attribute& b) { return a.first < b.first; };
    if (std::adjacent_find(m_attributes.begin(), m_attributes.end(),
                           [](const Attribute& a, const Attribute& b) { return !(a.first < b.first); }) ==
        m_attributes.end())
        return; // already strictly ascending: the common case
    std::stable_sort(m_attributes.begin(), m_attributes.end(), less);
    // Keep the last of each run of equal names.
    std::vector<Attribute> unique;
    unique.reserve(m_attributes.size());
    for (size_t i = 0; i < m_attributes.size(); ++i) {
        if (i + 1 < m_attributes.size() && m_attributes[i + 1].first == m_attributes[i].first)
            continue;
        unique.push_back(std::move(m_attributes[i]));
    }
    m_attributes = std::move(unique);
}

// ---- CXMLDocument -----------------------------------------------------------

void CXMLDocument::LoadFromFile(const char* path, bool scrambled)
{
    m_text.clear();
    const std::string shownPath = path ? path : "";
    if (path) {
        tsr::UniqueFile file = tsr::OpenFile(path, "rb");
        if (file) {
            std::string raw;
            char chunk[65536];
            size_t got;
            while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0)
                raw.append(chunk, got);
            AppendText(m_text, raw.data(), raw.size(), scrambled);
        }
    }
    if (m_text.empty())
        ThrowMessageText("XMLERROR: the file is empty - " + shownPath);
}

void CXMLDocument::LoadFromBuffer(const void* data, int size, bool scrambled)
{
    m_text.clear();
    if (data && size > 0)
        AppendText(m_text, static_cast<const char*>(data), static_cast<size_t>(size), scrambled);
    if (m_text.empty())
        throw static_cast<const char*>("XMLERROR: buffer is empty.");
}

void CXMLDocument::ResetTree()
{
    m_root.Clear();
    m_decl.Clear();
    m_declName.clear();
}

void CXMLDocument::Clear()
{
    ResetTree();
    std::string().swap(m_text);
}

// Reads one attribute at p (not whitespace, not the end of a tag) into node
// and returns the position after it, or `end` when the text ends inside it.
// The name runs up to whitespace or '='; the value lies between the next two
// double quotes. A value cut off by the end of the text keeps what is there.
const char* CXMLDocument::ReadAttribute(const char* p, const char* end, CXMLNode& node)
{
    const char* name = p;
    while (p < end && !IsSpace(*p) && *p != '=')
        ++p;
    const size_t nameLen = static_cast<size_t>(p - name);
    const char* open = Find(p, end, '"');
    if (open == end)
        return end;
    const char* value = open + 1;
    const char* close = Find(value, end, '"');
    node.AppendAttribute(name, nameLen, value, static_cast<size_t>(close - value));
    return close == end ? end : close + 1;
}

void CXMLDocument::Parse()
{
    ResetTree();
    const char* const begin = m_text.data();
    const char* const end = begin + m_text.size();
    const char* p = begin;
    CXMLNode* current = nullptr;

    while (p < end) {
        const char* lt = Find(p, end, '<');
        if (lt == end)
            break;
        const char kind = lt + 1 < end ? lt[1] : '\0';

        if (kind == '!') {
            // Skipped up to just past the first "-->" that starts at least
            // three characters after the '<'.
            const char* s = lt + 3;
            p = end;
            while (s + 3 <= end) {
                s = Find(s, end, '-');
                if (s + 3 > end)
                    break;
                if (s[1] == '-' && s[2] == '>') {
                    p = s + 3;
                    break;
                }
                ++s;
            }
            continue;
        }

        if (kind == '?') {
            const char* name = lt + 2;
            p = name;
            while (p < end && !IsSpace(*p) && *p != '?')
                ++p;
            m_declName.assign(name, static_cast<size_t>(p - name));
            for (;;) {
                p = SkipSpace(p, end);
                if (p >= end)
                    break;
                if (p[0] == '?' && p + 1 < end && p[1] == '>') {
                    p += 2;
                    break;
                }
                p = ReadAttribute(p, end, m_decl);
            }
            m_decl.SortAttributes();
            continue;
        }

        if (kind == '/') {
            const char* gt = Find(lt + 2, end, '>');
            p = gt == end ? end : gt + 1;
            // An end tag before any start tag closes nothing.
            if (!current)
                continue;
            if (current == &m_root)
                return;
            current = current->m_parent;
            continue;
        }

        // A start tag: the first one is the root.
        CXMLNode* node = current ? current->AddChild() : &m_root;
        current = node;
        const char* name = lt + 1;
        p = name;
        while (p < end && !IsSpace(*p) && *p != '/' && *p != '>')
            ++p;
        node->m_name.assign(name, static_cast<size_t>(p - name));

        bool rootClosed = false;
        for (;;) {
            p = SkipSpace(p, end);
            if (p >= end)
                break;
            if (p[0] == '/' && p + 1 < end && p[1] == '>') {
                p += 2;
                if (node == &m_root)
                    rootClosed = true;
                else
                    current = node->m_parent;
                break;
            }
            if (p[0] == '>') {
                ++p;
                break;
            }
            p = ReadAttribute(p, end, *node);
        }
        node->SortAttributes();
        if (rootClosed)
            return;
    }
}
