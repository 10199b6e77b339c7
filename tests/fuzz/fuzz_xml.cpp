// Fuzz target of the XML reader: any bytes, plain or scrambled, must load,
// parse and be walked without reading outside the buffer, and give the
// same tree as a plain reference reading of the rules.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "CTesser/ctesser_utils_xml.h"

namespace {

// Touches every node, attribute and name, as a loader would.
size_t Walk(CXMLNode* node)
{
    size_t total = 0;
    // Iterative: the fuzzer builds very deep trees.
    std::unique_ptr<CXMLNode*[]> work(new CXMLNode*[1]);
    size_t capacity = 1, top = 0;
    work[top++] = node;
    while (top > 0) {
        CXMLNode* n = work[--top];
        total += std::strlen(n->GetName());
        for (n->FirstAttribute(); n->GetAttributeName(); n->NextAttribute())
            total += std::strlen(n->GetAttribute(n->GetAttributeName()));
        total += std::strlen(n->GetAttribute("id"));
        if (n->GetChild(-1) || n->GetChild(n->GetChildCount()))
            __builtin_trap();
        for (int i = 0; i < n->GetChildCount(); ++i) {
            if (top == capacity) {
                std::unique_ptr<CXMLNode*[]> bigger(new CXMLNode*[capacity * 2]);
                std::memcpy(bigger.get(), work.get(), capacity * sizeof(CXMLNode*));
                work = std::move(bigger);
                capacity *= 2;
            }
            work[top++] = n->GetChild(i);
        }
    }
    return total;
}

// A plain reference reading of the same rules, with string copies and a
// map per element: the fast reader must build exactly this tree.
struct RefNode {
    RefNode* parent = nullptr;
    std::string name;
    std::map<std::string, std::string> attrs;
    std::vector<std::unique_ptr<RefNode>> children;
};

struct RefDoc {
    std::string declName;
    std::map<std::string, std::string> decl;
    RefNode root;
};

bool RefSpace(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// Reads one attribute at i into attrs; returns the position after it.
size_t RefAttribute(const std::string& t, size_t i, std::map<std::string, std::string>& attrs)
{
    const size_t n = t.size();
    size_t start = i;
    while (i < n && !RefSpace(t[i]) && t[i] != '=')
        ++i;
    std::string name = t.substr(start, i - start);
    size_t open = t.find('"', i);
    if (open == std::string::npos)
        return n;
    size_t close = t.find('"', open + 1);
    if (close == std::string::npos) {
        attrs[name] = t.substr(open + 1);
        return n;
    }
    attrs[name] = t.substr(open + 1, close - open - 1);
    return close + 1;
}

void RefParse(const std::string& t, RefDoc& doc)
{
    const size_t n = t.size();
    size_t i = 0;
    RefNode* cur = nullptr;
    while (i < n) {
        size_t lt = t.find('<', i);
        if (lt == std::string::npos)
            return;
        char kind = lt + 1 < n ? t[lt + 1] : '\0';
        if (kind == '!') {
            size_t e = lt + 3 <= n ? t.find("-->", lt + 3) : std::string::npos;
            i = e == std::string::npos ? n : e + 3;
            continue;
        }
        if (kind == '?') {
            i = lt + 2;
            size_t s = i;
            while (i < n && !RefSpace(t[i]) && t[i] != '?')
                ++i;
            doc.declName = t.substr(s, i - s);
            for (;;) {
                while (i < n && RefSpace(t[i]))
                    ++i;
                if (i >= n)
                    break;
                if (t.compare(i, 2, "?>") == 0) {
                    i += 2;
                    break;
                }
                i = RefAttribute(t, i, doc.decl);
            }
            continue;
        }
        if (kind == '/') {
            size_t gt = t.find('>', lt + 2);
            i = gt == std::string::npos ? n : gt + 1;
            if (!cur)
                continue;
            if (cur == &doc.root)
                return;
            cur = cur->parent;
            continue;
        }
        RefNode* node;
        if (cur) {
            cur->children.push_back(std::make_unique<RefNode>());
            node = cur->children.back().get();
            node->parent = cur;
        } else {
            node = &doc.root;
        }
        cur = node;
        i = lt + 1;
        size_t s = i;
        while (i < n && !RefSpace(t[i]) && t[i] != '/' && t[i] != '>')
            ++i;
        node->name = t.substr(s, i - s);
        for (;;) {
            while (i < n && RefSpace(t[i]))
                ++i;
            if (i >= n)
                break;
            if (t.compare(i, 2, "/>") == 0) {
                i += 2;
                if (node == &doc.root)
                    return;
                cur = node->parent;
                break;
            }
            if (t[i] == '>') {
                ++i;
                break;
            }
            i = RefAttribute(t, i, node->attrs);
        }
    }
}

// Names and values are read as the zero-terminated strings the reader
// hands out.
bool SameText(const std::string& ref, const char* got) { return got && std::strcmp(ref.c_str(), got) == 0; }

void Compare(const RefNode& ref, CXMLNode* got)
{
    std::vector<std::pair<const RefNode*, CXMLNode*>> work{{&ref, got}};
    while (!work.empty()) {
        auto [r, g] = work.back();
        work.pop_back();
        if (!SameText(r->name, g->GetName()) || r->attrs.size() != static_cast<size_t>(g->GetAttributeCount()) ||
            r->children.size() != static_cast<size_t>(g->GetChildCount()))
            __builtin_trap();
        g->FirstAttribute();
        for (const auto& [name, value] : r->attrs) {
            if (!SameText(name, g->GetAttributeName()))
                __builtin_trap();
            // Lookup by a name with a zero byte would stop at it.
            if (name.find('\0') == std::string::npos && !SameText(value, g->GetAttribute(name.c_str())))
                __builtin_trap();
            g->NextAttribute();
        }
        if (g->GetAttributeName() != nullptr)
            __builtin_trap();
        for (size_t i = 0; i < r->children.size(); ++i) {
            if (g->GetChild(static_cast<int>(i))->GetParent() != g)
                __builtin_trap();
            work.push_back({r->children[i].get(), g->GetChild(static_cast<int>(i))});
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    // The first byte chooses scrambled mode; the rest is the document, in a
    // heap block of exactly its size so that any over-read is caught.
    const bool scrambled = (data[0] & 1) != 0;
    const size_t n = size - 1;
    std::unique_ptr<uint8_t[]> exact(new uint8_t[n ? n : 1]);
    if (n)
        std::memcpy(exact.get(), data + 1, n);
    CXMLDocument doc;
    try {
        doc.LoadFromBuffer(n ? exact.get() : nullptr, static_cast<int>(n), scrambled);
    } catch (const char*) {
        return 0; // nothing left after dropping carriage returns
    }
    doc.Parse();
    volatile size_t sink = Walk(doc.GetRoot());
    (void)sink;

    RefDoc ref;
    // The reference reads the text the reader kept, without its own
    // dropping of carriage returns or unscrambling.
    RefParse(doc.GetText(), ref);
    Compare(ref.root, doc.GetRoot());
    if (ref.declName != doc.GetDeclarationName())
        __builtin_trap();
    for (const auto& [name, value] : ref.decl)
        if (name.find('\0') == std::string::npos && !SameText(value, doc.GetDeclarationAttribute(name.c_str())))
            __builtin_trap();
    return 0;
}
