// The XML reader. The parser walks the text with one position and never
// looks past its end: every malformed input (an unclosed element, comment,
// instruction or value) simply ends the parse with what has been read.
#include "ctesser_utils_xml.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <forward_list>
#include <string_view>

#include "platform/files/tsr_files.h"

namespace {

// Whitespace of the reader: exactly space, tab and line feed.
inline bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// The first c in [p, end), or end. Eight bytes at a time: a byte equal to
// c becomes zero after the XOR, and the lowest flagged byte of the
// zero-byte test is the first such byte (the test can only misflag bytes
// above a true zero).
static_assert(std::endian::native == std::endian::little, "Find reads words as little-endian");
inline const char* Find(const char* p, const char* end, char c)
{
    constexpr uint64_t ones = 0x0101010101010101ull;
    constexpr uint64_t highs = 0x8080808080808080ull;
    const uint64_t pattern = ones * static_cast<unsigned char>(c);
    while (end - p >= 8) {
        uint64_t w;
        std::memcpy(&w, p, 8);
        w ^= pattern;
        const uint64_t zero = (w - ones) & ~w & highs;
        if (zero)
            return p + (__builtin_ctzll(zero) >> 3);
        p += 8;
    }
    while (p < end && *p != c)
        ++p;
    return p;
}

// Characters that end an attribute name: whitespace and '='.
struct NameEnds {
    bool table[256] = {};
    constexpr NameEnds() { table[int(' ')] = table[int('\t')] = table[int('\n')] = table[int('=')] = true; }
};
constexpr NameEnds kNameEnds;

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

// Counts '<' and '"' in one pass, in blocks small enough for byte-wide
// counters (which the compiler turns into vector code).
void CountTagsAndQuotes(const std::string& text, size_t& tags, size_t& quotes)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text.data());
    size_t left = text.size();
    while (left > 0) {
        const size_t n = left < 255 ? left : 255;
        uint8_t t = 0, q = 0;
        for (size_t i = 0; i < n; ++i) {
            t += p[i] == '<';
            q += p[i] == '"';
        }
        tags += t;
        quotes += q;
        p += n;
        left -= n;
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

CXMLNode* CXMLNode::GetChild(int index) const
{
    if (index < 0 || static_cast<uint32_t>(index) >= m_childCount)
        return nullptr;
    return m_children[index];
}

const CXMLNode::Attribute* CXMLNode::Lookup(const char* name) const
{
    if (!name || m_attrCount == 0)
        return nullptr;
    // Same byte-wise order as the sort of the parse.
    const std::string_view key(name);
    const Attribute* first = m_attrs;
    const Attribute* last = m_attrs + m_attrCount;
    const Attribute* it = std::lower_bound(first, last, key, [](const Attribute& a, std::string_view k) {
        return std::string_view(a.name, a.nameLen) < k;
    });
    if (it != last && std::string_view(it->name, it->nameLen) == key)
        return it;
    return nullptr;
}

const char* CXMLNode::GetAttribute(const char* name) const
{
    const Attribute* a = Lookup(name);
    return a ? a->value : "";
}

void CXMLNode::Reset()
{
    m_parent = nullptr;
    m_name = "";
    m_attrs = nullptr;
    m_attrCount = 0;
    m_children = nullptr;
    m_childCount = 0;
    m_cursor = 0;
    m_attrFirst = 0;
    m_childFirst = 0;
    m_childPlaced = 0;
}

bool CXMLNode::HasAttribute(const char* name) const { return Lookup(name) != nullptr; }

const char* CXMLNode::GetAttributeName() const { return m_cursor < m_attrCount ? m_attrs[m_cursor].name : nullptr; }

void CXMLNode::NextAttribute()
{
    if (m_cursor < m_attrCount)
        ++m_cursor;
}

// ---- CXMLDocument -----------------------------------------------------------

CXMLDocument::~CXMLDocument() = default;

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
    m_root.Reset();
    m_decl.Reset();
    m_declName.clear();
    m_nodes.reset();
    m_nodeCount = 0;
    m_nodeCapacity = 0;
    m_attributes.clear();
    m_declAttributes.clear();
    m_childLinks.clear();
    m_work.reset();
    m_separate.clear();
}

void CXMLDocument::Clear()
{
    ResetTree();
    m_attributes.shrink_to_fit();
    m_childLinks.shrink_to_fit();
    std::string().swap(m_text);
}

const char* CXMLDocument::Terminate(const char* at, size_t n)
{
    char* copy = m_work.get() + (at - m_text.data());
    copy[n] = '\0'; // at most the terminator already there after the text
    return copy;
}

const char* CXMLDocument::StoreSeparately(const char* s, size_t n)
{
    m_separate.push_back(std::make_unique<char[]>(n + 1));
    std::memcpy(m_separate.back().get(), s, n);
    m_separate.back()[n] = '\0';
    return m_separate.back().get();
}

CXMLNode* CXMLDocument::NewChild(CXMLNode* parent)
{
    // Every child comes from its own '<', so the count never passes the
    // capacity; the check keeps it so should that ever change.
    if (m_nodeCount == m_nodeCapacity)
        throw static_cast<const char*>("XMLERROR: too many elements.");
    CXMLNode* node = &m_nodes[m_nodeCount++];
    node->m_parent = parent;
    ++parent->m_childCount;
    return node;
}

// Reads one attribute at p (not whitespace, not the end of a tag) into
// `into` and returns the position after it, or `end` when the text ends
// inside it. The name runs up to whitespace or '='; the value lies between
// the next two double quotes. A value cut off by the end of the text keeps
// what is there.
const char* CXMLDocument::ReadAttribute(const char* p, const char* end, std::vector<CXMLNode::Attribute>& into)
{
    const char* name = p;
    while (p < end && !kNameEnds.table[static_cast<unsigned char>(*p)])
        ++p;
    const size_t nameLen = static_cast<size_t>(p - name);
    const char* open = Find(p, end, '"');
    if (open == end)
        return end;
    const char* value = open + 1;
    const char* close = Find(value, end, '"');
    CXMLNode::Attribute a;
    a.name = Terminate(name, nameLen);
    a.nameLen = static_cast<uint32_t>(nameLen);
    a.key = 0;
    if (end - name >= 8) {
        // Eight bytes are there to read; those past the name are masked.
        uint64_t raw;
        std::memcpy(&raw, name, 8);
        a.key = __builtin_bswap64(raw);
        if (nameLen < 8)
            a.key &= nameLen == 0 ? 0 : ~uint64_t(0) << (8 * (8 - nameLen));
    } else {
        for (size_t i = 0; i < 8; ++i)
            a.key = (a.key << 8) | (i < nameLen ? static_cast<unsigned char>(name[i]) : 0u);
    }
    a.value = Terminate(value, static_cast<size_t>(close - value));
    into.push_back(a);
    return close == end ? end : close + 1;
}

namespace {

// Byte-wise order of two names (unsigned bytes, a prefix first).
inline bool NameLess(const CXMLNode::Attribute& a, const CXMLNode::Attribute& b)
{
    if (a.key != b.key)
        return a.key < b.key;
    const uint32_t n = a.nameLen < b.nameLen ? a.nameLen : b.nameLen;
    for (uint32_t i = 8; i < n; ++i) {
        const unsigned char x = static_cast<unsigned char>(a.name[i]);
        const unsigned char y = static_cast<unsigned char>(b.name[i]);
        if (x != y)
            return x < y;
    }
    return a.nameLen < b.nameLen;
}

inline bool NameEqual(const CXMLNode::Attribute& a, const CXMLNode::Attribute& b)
{
    return a.key == b.key && a.nameLen == b.nameLen &&
           (a.nameLen <= 8 || std::memcmp(a.name + 8, b.name + 8, a.nameLen - 8) == 0);
}

} // namespace

uint32_t CXMLDocument::SortAttributes(CXMLNode::Attribute* first, uint32_t count)
{
    // An element's attributes come in document order; they become an
    // ordered map: sorted by name, the last occurrence of a name winning.
    // The sort is stable, so among equal names the last stays last.
    using A = CXMLNode::Attribute;
    if (count < 2)
        return count;
    if (count <= 32) {
        for (uint32_t i = 1; i < count; ++i) {
            const A item = first[i];
            uint32_t j = i;
            while (j > 0 && NameLess(item, first[j - 1])) {
                first[j] = first[j - 1];
                --j;
            }
            first[j] = item;
        }
    } else {
        std::stable_sort(first, first + count, NameLess);
    }
    uint32_t kept = 0;
    for (uint32_t i = 0; i < count; ++i) {
        if (i + 1 < count && NameEqual(first[i + 1], first[i]))
            continue;
        first[kept++] = first[i];
    }
    return kept;
}

void CXMLDocument::Parse()
{
    ResetTree();
    m_work.reset(new char[m_text.size() + 1]);
    std::memcpy(m_work.get(), m_text.data(), m_text.size() + 1);
    // One allocation each for the nodes and the attributes: an element
    // needs a '<', an attribute at least one '"'.
    size_t tags = 0, quotes = 0;
    CountTagsAndQuotes(m_text, tags, quotes);
    m_nodeCapacity = tags;
    m_nodes.reset(new CXMLNode[tags ? tags : 1]);
    m_attributes.reserve(quotes / 2 + 1);
    ParseText();
    LinkTree();
}

// Points every node at its runs of attributes and children, now that the
// vectors holding them have stopped growing.
void CXMLDocument::LinkTree()
{
    auto forEachNode = [&](auto&& f) {
        f(m_root);
        for (size_t i = 0; i < m_nodeCount; ++i)
            f(m_nodes[i]);
    };
    uint32_t nextChild = 0;
    forEachNode([&](CXMLNode& n) {
        n.m_attrs = m_attributes.data() + n.m_attrFirst;
        n.m_childFirst = nextChild;
        nextChild += n.m_childCount;
    });
    m_childLinks.assign(nextChild, nullptr);
    // Nodes were created in document order, so each parent's children
    // arrive in order.
    forEachNode([&](CXMLNode& n) {
        if (CXMLNode* parent = n.m_parent)
            m_childLinks[parent->m_childFirst + parent->m_childPlaced++] = &n;
    });
    forEachNode([&](CXMLNode& n) { n.m_children = m_childLinks.data() + n.m_childFirst; });
    m_decl.m_attrs = m_declAttributes.data();
    m_decl.m_attrCount = static_cast<uint32_t>(m_declAttributes.size());
}

void CXMLDocument::ParseText()
{
    const char* const begin = m_text.data();
    const char* const end = begin + m_text.size();
    const char* p = begin;
    CXMLNode* current = nullptr;

    while (p < end) {
        const char* lt = Find(p, end, '<');
        if (lt == end)
            return;
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
                p = ReadAttribute(p, end, m_declAttributes);
            }
            // A second instruction adds to (and overrides) the first one's.
            m_declAttributes.resize(
                SortAttributes(m_declAttributes.data(), static_cast<uint32_t>(m_declAttributes.size())));
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
        CXMLNode* node = current ? NewChild(current) : &m_root;
        current = node;
        const char* name = lt + 1;
        p = name;
        while (p < end && !IsSpace(*p) && *p != '/' && *p != '>')
            ++p;
        // A name ended by a '/' that does not close the tag: that '/'
        // begins the first attribute's name.
        if (p < end && *p == '/' && !(p + 1 < end && p[1] == '>'))
            node->m_name = StoreSeparately(name, static_cast<size_t>(p - name));
        else
            node->m_name = Terminate(name, static_cast<size_t>(p - name));

        node->m_attrFirst = static_cast<uint32_t>(m_attributes.size());
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
            p = ReadAttribute(p, end, m_attributes);
        }
        const uint32_t read = static_cast<uint32_t>(m_attributes.size()) - node->m_attrFirst;
        node->m_attrCount = SortAttributes(m_attributes.data() + node->m_attrFirst, read);
        m_attributes.resize(node->m_attrFirst + node->m_attrCount);
        if (rootClosed)
            return;
    }
}
