// The XMLDATA loader: assigns the attributes of an "xmldata" document to
// the XML variables of the same names.
#pragma once

#include <cstdint>

void RESLOAD_XMLData(const void* data, int32_t size);
