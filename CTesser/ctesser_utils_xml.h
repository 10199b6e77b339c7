// The engine's small XML reader. It knows elements, attributes in double
// quotes, comments and one processing instruction; text between tags is
// skipped and entities are not decoded. Every data format keeps its
// information in attributes.
//
// Errors of the reader (an empty file or buffer) are thrown as a plain
// message text, a `const char*`, that stays valid until the process ends.
//
// Usage:
//     CXMLDocument doc;
//     doc.LoadFromBuffer(data, size, engine->GetXMLEncryptMode());
//     doc.Parse();
//     CXMLNode* root = doc.GetRoot();
//     if (std::strcmp(root->GetName(), "xmldata") != 0) ...
//     for (int i = 0; i < root->GetChildCount(); ++i) {
//         CXMLNode* child = root->GetChild(i);
//         for (child->FirstAttribute(); child->GetAttributeName(); child->NextAttribute())
//             use(child->GetAttributeName(), child->GetAttribute(child->GetAttributeName()));
//     }
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The key of scrambled XML: every byte is combined with it by XOR.
constexpr unsigned char XML_SCRAMBLE_KEY = 0x5C;

class CXMLNode {
public:
    CXMLNode() = default;
    CXMLNode(const CXMLNode&) = delete;
    CXMLNode& operator=(const CXMLNode&) = delete;

    const char* GetName() const { return m_name; }
    // The enclosing element; null for the root.
    CXMLNode* GetParent() const { return m_parent; }

    int GetChildCount() const { return static_cast<int>(m_childCount); }
    // Null when the index is negative or not less than the child count.
    CXMLNode* GetChild(int index) const;

    // The value of the attribute, or "" when the element has none of that
    // name: never null.
    const char* GetAttribute(const char* name) const;
    bool HasAttribute(const char* name) const;
    int GetAttributeCount() const { return static_cast<int>(m_attrCount); }

    // Iteration in ascending byte-wise order of the names (not document
    // order). GetAttributeName is null once the cursor is past the end.
    void FirstAttribute() { m_cursor = 0; }
    const char* GetAttributeName() const;
    void NextAttribute();

    // One name = value pair as the document stores it.
    struct Attribute {
        const char* name;
        const char* value;
        uint32_t nameLen; // a name may hold a zero byte
        uint64_t key;     // the first eight bytes of the name, big-endian, for sorting
    };

private:
    friend class CXMLDocument;

    const Attribute* Lookup(const char* name) const;
    void Reset();

    CXMLNode* m_parent = nullptr;
    const char* m_name = "";
    // The attributes, sorted by name with the last of equal names kept,
    // and the children in document order; both live in the document.
    const Attribute* m_attrs = nullptr;
    uint32_t m_attrCount = 0;
    CXMLNode* const* m_children = nullptr;
    uint32_t m_childCount = 0;
    uint32_t m_cursor = 0;
    // Bookkeeping while the document is parsed.
    uint32_t m_attrFirst = 0;
    uint32_t m_childFirst = 0;
    uint32_t m_childPlaced = 0;
};

// The document owns every node, name and value of its tree; they are gone
// with it (or with Clear, or the next Parse).
class CXMLDocument {
public:
    CXMLDocument() = default;
    ~CXMLDocument();
    CXMLDocument(const CXMLDocument&) = delete;
    CXMLDocument& operator=(const CXMLDocument&) = delete;

    // Replaces the text with the file's contents. Carriage returns are
    // dropped (after unscrambling), so CR/LF files read like LF files.
    // The path may be written the Windows way (".\data\x.xml").
    // Throws "XMLERROR: the file is empty - " + path when the file is
    // missing, unreadable or empty.
    void LoadFromFile(const char* path, bool scrambled);
    // Replaces the text with `size` bytes of `data`, unscrambled when asked,
    // carriage returns dropped. Throws "XMLERROR: buffer is empty." when
    // nothing is left (also for a null pointer or a size of 0 or below).
    void LoadFromBuffer(const void* data, int size, bool scrambled);
    // Builds the tree from the text. A text that ends early (an unclosed
    // element, comment or value) keeps what has been read up to its end.
    void Parse();

    CXMLNode* GetRoot() { return &m_root; }
    const CXMLNode* GetRoot() const { return &m_root; }

    const std::string& GetText() const { return m_text; }
    const std::string& GetDeclarationName() const { return m_declName; }
    // Value of an attribute of the <?name ...?> instruction, or "".
    const char* GetDeclarationAttribute(const char* name) const { return m_decl.GetAttribute(name); }

    // Deletes the tree and releases the text.
    void Clear();

private:
    void ResetTree();
    void ParseText();
    void LinkTree();
    const char* ReadAttribute(const char* p, const char* end, std::vector<CXMLNode::Attribute>& into);
    static uint32_t SortAttributes(CXMLNode::Attribute* first, uint32_t count);
    // The zero-terminated copy of n bytes of the text at `at`.
    const char* Terminate(const char* at, size_t n);
    const char* StoreSeparately(const char* s, size_t n);
    CXMLNode* NewChild(CXMLNode* parent);

    std::string m_text;
    std::string m_declName;
    CXMLNode m_decl; // holds the declaration's attributes
    CXMLNode m_root;

    // Every element but the root, in document order. Allocated once per
    // parse for as many elements as the text has '<' characters.
    std::unique_ptr<CXMLNode[]> m_nodes;
    size_t m_nodeCount = 0;
    size_t m_nodeCapacity = 0;
    // Attributes of all elements, one run per element.
    std::vector<CXMLNode::Attribute> m_attributes;
    std::vector<CXMLNode::Attribute> m_declAttributes;
    // Children of all elements, one run per element.
    std::vector<CXMLNode*> m_childLinks;
    // A copy of the text in which the character after each name and value
    // is overwritten by a terminating zero, so that names and values point
    // into it. That character never belongs to another name or value,
    // except in the rare names that are kept separately.
    std::unique_ptr<char[]> m_work;
    std::vector<std::unique_ptr<char[]>> m_separate;
};

// Throws `message` as a plain `const char*` message text whose characters
// stay valid for the rest of the process, so a text built at run time can
// still be read by the handler at the process entry.
[[noreturn]] void ThrowMessageText(std::string message);
