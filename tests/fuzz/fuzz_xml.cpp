// Fuzz target of the XML reader: any bytes, plain or scrambled, must load,
// parse and be walked without reading outside the buffer.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

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
    return 0;
}
