// The XMLDATA loader, on the XML reader and the XML variables registry.
#include "ctesser_res_xmldata.h"

#include <cstring>

#include "ctesser.h"
#include "ctesser_utils_cxmlvar.h"
#include "ctesser_utils_xml.h"

void RESLOAD_XMLData(const void* data, int32_t size)
{
    CTesser* engine = CTesser::GetInstance();
    EHS_ASSERT(engine != nullptr);
    CXMLDocument doc;
    doc.LoadFromBuffer(data, size, engine->GetXMLEncryptMode());
    doc.Parse();
    CXMLNode* root = doc.GetRoot();
    EHS_CHECK(std::strcmp(root->GetName(), "xmldata") == 0, EHS_GENERAL,
              "Error in loading XMLData: invalid root node name!");
    if (root->GetChildCount() == 0) {
        engine->WriteEntry("Warning: empty xmldata file!", LOG_WARNING);
        return;
    }
    // No variable was ever declared: nothing to assign, nothing to report.
    if (!XMLVarsMapExists())
        return;
    for (int i = 0; i < root->GetChildCount(); ++i) {
        CXMLNode* child = root->GetChild(i);
        for (child->FirstAttribute(); child->GetAttributeName(); child->NextAttribute()) {
            const char* name = child->GetAttributeName();
            if (auto* var = FindXMLVar(name))
                var->SetFromText(child->GetAttribute(name));
            else
                engine->WriteEntry(std::string("Warning: unused xml variable: ") + name, LOG_WARNING);
        }
    }
}
