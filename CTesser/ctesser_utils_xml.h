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
#include <utility>
#include <vector>

// The key of scrambled XML: every byte is combined with it by XOR.
constexpr unsigned char XML_SCRAMBLE_KEY = 0x5C;

class CXMLNode {
public:
    CXMLNode() = default;
    explicit CXMLNode(CXMLNode* parent) : m_parent(parent) {}
    ~CXMLNode();
    CXMLNode(const CXMLNode&) = delete;
    CXMLNode& operator=(const CXMLNode&) = delete;

    const char* GetName() const { return m_name.c_str(); }
    CXMLNode* GetParent() const { return m_parent; }

    int GetChildCount() const { return static_cast<int>(m_children.size()); }
    // Null when the index is negative or not less than the child count.
    CXMLNode* GetChild(int index) const;

    // The value of the attribute, or "" when the element has none of that
    // name: never null.
    const char* GetAttribute(const char* name) const;
    bool HasAttribute(const char* name) const;
    int GetAttributeCount() const { return static_cast<int>(m_attributes.size()); }

    // Iteration in ascending byte-wise order of the names (not document
    // order). GetAttributeName is null once the cursor is past the end.
    void FirstAttribute() { m_cursor = 0; }
    const char* GetAttributeName() const;
    void NextAttribute();

    // Deletes every child (recursively) and every attribute.
    void Clear();

private:
    friend class CXMLDocument;
    using Attribute = std::pair<std::string, std::string>;

    CXMLNode* AddChild();
    // While a tag is read its attributes are appended in document order;
    // SortAttributes then orders them by name, the last of equal names
    // winning.
    void AppendAttribute(const char* name, size_t nameLen, const char* value, size_t valueLen);
    void SortAttributes();

    CXMLNode* m_parent = nullptr;
    std::string m_name;
    // Kept sorted by name (byte-wise): an ordered map in a flat vector,
    // since elements carry only a handful of attributes.
    std::vector<Attribute> m_attributes;
    size_t m_cursor = 0;
    std::vector<std::unique_ptr<CXMLNode>> m_children;
};

class CXMLDocument {
public:
    CXMLDocument() = default;
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
    static const char* ReadAttribute(const char* p, const char* end, CXMLNode& node);

    std::string m_text;
    std::string m_declName;
    CXMLNode m_decl; // holds the declaration's attributes
    CXMLNode m_root;
};

// Throws `message` as a plain `const char*` message text whose characters
// stay valid for the rest of the process, so a text built at run time can
// still be read by the handler at the process entry.
[[noreturn]] void ThrowMessageText(std::string message);
